#include "StripChar.h"

QString StripChar(const QString& Text, const QString& Ch) {
    if (Ch.size() != 1)
        return Text;
    QString result = Text;
    result.remove(Ch.front());
    return result;
}
