#include "PasswordEcho.h"

#include <QLineEdit>
#include <QProxyStyle>

namespace {

class TAsteriskPasswordStyle final : public QProxyStyle {
public:
    int styleHint(StyleHint Hint, const QStyleOption* Option, const QWidget* Widget,
                  QStyleHintReturn* ReturnData) const override {
        if (Hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(Hint, Option, Widget, ReturnData);
    }
};

} // namespace

void EchoPasswordAsAsterisks(QLineEdit* Edit) {
    auto* asterisks = new TAsteriskPasswordStyle;
    asterisks->setParent(Edit);
    Edit->setStyle(asterisks);
    Edit->setEchoMode(QLineEdit::Password);
}
