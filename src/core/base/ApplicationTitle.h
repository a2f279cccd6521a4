#pragma once

#include <QString>

// The program-wide title made from the product name: the text is cut before
// its last blank, and cut again while it is longer than 40 characters. A name
// without a blank has nothing to cut at and is kept whole.
QString makeApplicationTitle(const QString& productName);
