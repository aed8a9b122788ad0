#pragma once

#include <QString>

class QWidget;

namespace oxeln {

// The application title: the executable's file name without its folder and
// without everything from its first ".".
QString ApplicationTitle();

// The error text as shown: a "." is appended when the last character sorts
// after ".".
QString ErrorBoxText(const QString &message);

// The standard error box: modal, critical icon, titled with the application title.
void ShowErrorBox(QWidget *parent, const QString &message);

} // namespace oxeln
