#pragma once

#include <QString>

// The program-wide title: the product name cut before its last blank, and again
// while longer than 40 characters; a name without a blank stays whole.
QString makeApplicationTitle(const QString& productName);
