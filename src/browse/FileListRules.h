#pragma once

#include <QString>
#include <QStringList>

namespace browse {

// Which files the program handles: the eight kinds it always knew, or those and today's too
// (PNG, WebP, TIFF, HEIC, AVIF pictures; MP4, MKV, WebM, 3GP, M4V movies), an option.
enum class FileKinds { Classic, Today };

// The pictures and movies the file list shows: names ending in .jpg, .gif, .bmp, .jpeg, .mov,
// .mpeg, .mpg or .avi (and today's kinds when chosen), in any letter case. Hidden names (a
// leading dot) are left out.
bool isListedFileName(const QString &name, FileKinds kinds = FileKinds::Classic);

// File kinds by the end of the name in any letter case (the dot is not looked at): pictures end
// in JPG, BMP, GIF or JPEG, movies in AVI, MPG, MOV or MPEG, and today's kinds when chosen.
bool isPictureName(const QString &name, FileKinds kinds = FileKinds::Classic);
bool isMovieName(const QString &name, FileKinds kinds = FileKinds::Classic);

// File list order: alphabetical without regard to letter case, ties by the exact name.
void sortFileNames(QStringList &names);
bool comesBefore(const QString &a, const QString &b);
// Adds more names to a list in that order.
void mergeFileNames(QStringList &sorted, QStringList more);

// The first status panel: "12 file(s) - /pictures/holiday/", or "<empty>".
QString fileListStatus(int count, const QString &folder);

// Which entry becomes current after the list was read again following a sort into an area.
// remembered is the current index before the re-read, count the number of files now. After a
// move the file that followed the moved one takes its index; past the end the selection wraps
// to the first file. In copy mode the selection advances to the next file and stays on the
// last one. -1: nothing is selected.
int reselectedIndex(int remembered, int count, bool copyIsDefault);

// The row, in the list as it is before a sort, of the entry that becomes current once the sort
// sent the current file alone; -1 when none does.
int rowAfterSort(int current, int count, bool copyIsDefault);

// Which entry becomes current after the current file was deleted. remembered is its index,
// count the number of files now. The file that followed the deleted one takes its place; when
// the last file was deleted the new last file is chosen (no wrap). -1: nothing is selected.
int indexAfterDelete(int remembered, int count);

// The entry selected after the file at remembered was renamed: the same position, or the
// nearest one when the renamed file left the list. -1: the list is empty.
int indexAfterRename(int remembered, int count);

} // namespace browse
