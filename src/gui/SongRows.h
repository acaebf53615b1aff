#pragma once

// The list row of one input file: its tag texts and playing time.

#include <QString>
#include <QStringList>

#include "gui/FileList.h"

TListRow ReadListRow(const QString& fileName);

// The genre names the tag editor offers, in the order of the genre table.
QStringList GenreList();
