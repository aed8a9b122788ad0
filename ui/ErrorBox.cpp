#include "ErrorBox.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QMessageBox>

namespace oxeln {

QString ApplicationTitle()
{
    const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    return name.left(name.indexOf(QLatin1Char('.')));
}

QString ErrorBoxText(const QString &message)
{
    if (!message.isEmpty() && message.back() > QLatin1Char('.'))
        return message + QLatin1Char('.');
    return message;
}

void ShowErrorBox(QWidget *parent, const QString &message)
{
    QMessageBox box(QMessageBox::Critical, ApplicationTitle(), ErrorBoxText(message), QMessageBox::Ok,
                    parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

} // namespace oxeln
