#include "TestSupport.h"
#include "catalogue/AreaKeys.h"

#include <QKeySequence>

using catalogue::areaKey;
using catalogue::checkAreaKey;

class TestAreaKeys : public QObject {
    Q_OBJECT

private slots:
    void whichKeysAreasTake_data()
    {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("refusal"); // empty: accepted
        const QString cannot = " cannot be an area's key: use F1 to F12 or a letter, alone or with Ctrl, Alt and "
                               "Shift, or a digit with Ctrl or Alt";
        QTest::newRow("F2") << QKeyCombination(Qt::Key_F2) << "";
        QTest::newRow("Shift+F12") << QKeyCombination(Qt::ShiftModifier, Qt::Key_F12) << "";
        QTest::newRow("B") << QKeyCombination(Qt::Key_B) << "";
        QTest::newRow("Ctrl+B") << QKeyCombination(Qt::ControlModifier, Qt::Key_B) << "";
        QTest::newRow("Ctrl+Alt+Shift+Q")
            << QKeyCombination(Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier, Qt::Key_Q) << "";
        QTest::newRow("Ctrl+7") << QKeyCombination(Qt::ControlModifier, Qt::Key_7) << "";
        QTest::newRow("Alt+0") << QKeyCombination(Qt::AltModifier, Qt::Key_0) << "";
        QTest::newRow("2") << QKeyCombination(Qt::Key_2) << "2 already chooses group 2";
        QTest::newRow("0") << QKeyCombination(Qt::Key_0) << "0 goes with the digits that choose groups";
        QTest::newRow("Shift+7") << QKeyCombination(Qt::ShiftModifier, Qt::Key_7) << "Shift+7" + cannot;
        QTest::newRow("Space") << QKeyCombination(Qt::Key_Space) << "Space already steps to the next file";
        QTest::newRow("Del") << QKeyCombination(Qt::Key_Delete) << "Del already deletes the current file";
        QTest::newRow("Ctrl+R") << QKeyCombination(Qt::ControlModifier, Qt::Key_R)
                                << "Ctrl+R already renames the current file";
        QTest::newRow("Ctrl+X") << QKeyCombination(Qt::ControlModifier, Qt::Key_X) << "Ctrl+X already ends the program";
        QTest::newRow("Ctrl+Z") << QKeyCombination(Qt::ControlModifier, Qt::Key_Z)
                                << "Ctrl+Z already undoes the last command";
        QTest::newRow("Ctrl+Y") << QKeyCombination(Qt::ControlModifier, Qt::Key_Y) << "Ctrl+Y already redoes a command";
        QTest::newRow("Alt+F") << QKeyCombination(Qt::AltModifier, Qt::Key_F) << "Alt+F already opens the File menu";
        QTest::newRow("Alt+E") << QKeyCombination(Qt::AltModifier, Qt::Key_E) << "Alt+E already opens the Edit menu";
        QTest::newRow("Alt+S") << QKeyCombination(Qt::AltModifier, Qt::Key_S) << "Alt+S already opens the settings";
        QTest::newRow("Alt+H") << QKeyCombination(Qt::AltModifier, Qt::Key_H) << "Alt+H already opens the Help menu";
        QTest::newRow("Alt+G") << QKeyCombination(Qt::AltModifier, Qt::Key_G) << "";
        QTest::newRow("Meta+B") << QKeyCombination(Qt::MetaModifier, Qt::Key_B) << "Meta+B" + cannot;
        QTest::newRow("F13") << QKeyCombination(Qt::Key_F13) << "F13" + cannot;
        QTest::newRow("Left") << QKeyCombination(Qt::Key_Left) << "Left" + cannot;
    }

    void whichKeysAreasTake()
    {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, refusal);
        const catalogue::KeyCheck check = checkAreaKey(key);
        QCOMPARE(check.accepted, refusal.isEmpty());
        QCOMPARE(check.refusal, refusal);
    }

    // Only the exact text the program writes is a key; other text is another program's and
    // means nothing here.
    void shortcutFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key"); // empty: no key
        QTest::newRow("empty") << "" << "";
        QTest::newRow("F2") << "F2" << "F2";
        QTest::newRow("Ctrl+B") << "Ctrl+B" << "Ctrl+B";
        QTest::newRow("Alt+Shift+Q") << "Alt+Shift+Q" << "Alt+Shift+Q";
        QTest::newRow("lower case") << "ctrl+b" << "";
        QTest::newRow("another language") << "Strg+B" << "";
        QTest::newRow("two keys") << "F2, F3" << "";
        QTest::newRow("a reserved key") << "Ctrl+R" << "";
        QTest::newRow("a digit") << "1" << "";
    }

    void shortcutFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, key);
        const std::optional<QKeyCombination> parsed = areaKey(field);
        QCOMPARE(parsed ? catalogue::shortcutText(*parsed) : QString(), key);
    }
};

SHELFMASTER_TEST_MAIN(TestAreaKeys)
#include "tst_areakeys.moc"
