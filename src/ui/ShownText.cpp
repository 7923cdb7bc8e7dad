#include "ShownText.h"

#include "PasswordMask.h"

QString ShownText(const QString& Text) {
    return QString::fromStdString(velmora::ado::maskPasswords(Text.toStdString()));
}
