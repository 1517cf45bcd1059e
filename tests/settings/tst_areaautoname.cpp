#include "TestSupport.h"
#include "settings/AreaAutoname.h"

#include <QTest>

class TestAreaAutoname : public QObject {
    Q_OBJECT

private slots:
    void names_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("mountPoint");
        QTest::addColumn<QString>("strip");
        QTest::addColumn<QString>("separator");
        QTest::addColumn<QString>("name");
        const QString cats = QStringLiteral("/Pictures/Cats/Small");
        QTest::newRow("strip none") << cats << "/" << "0" << "-" << "Pictures-Cats-Small";
        QTest::newRow("strip one") << cats << "/" << "1" << "-" << "Cats-Small";
        QTest::newRow("strip two") << cats << "/" << "2" << "-" << "Small";
        QTest::newRow("strip all") << cats << "/" << "3" << "-" << "";
        QTest::newRow("strip more") << cats << "/" << "9" << "-" << "";
        QTest::newRow("another separator") << cats << "/" << "0" << "_" << "Pictures_Cats_Small";
        QTest::newRow("no separator") << cats << "/" << "1" << "" << "CatsSmall";
        QTest::newRow("root") << "/" << "/" << "0" << "-" << "";
        QTest::newRow("volume's mount point") << "/media/usb" << "/media/usb" << "0" << "-" << "";
        QTest::newRow("below a volume") << "/media/usb/Photos/2000" << "/media/usb" << "0" << "-" << "Photos-2000";
        QTest::newRow("below a volume, strip one") << "/media/usb/Photos/2000" << "/media/usb" << "1" << "-" << "2000";
        QTest::newRow("strip count not a number") << cats << "/" << "x" << "-" << "Pictures-Cats-Small";
        QTest::newRow("strip count empty") << cats << "/" << "" << "-" << "Pictures-Cats-Small";
    }

    void names()
    {
        QFETCH(QString, folder);
        QFETCH(QString, mountPoint);
        QFETCH(QString, strip);
        QFETCH(QString, separator);
        QFETCH(QString, name);
        QCOMPARE(settings::areaAutoname(folder, mountPoint, settings::stripCount(strip), separator), name);
    }
};

SHELFMASTER_TEST_MAIN(TestAreaAutoname)
#include "tst_areaautoname.moc"
