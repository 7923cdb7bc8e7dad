#include "HistoryPane.h"

#include "ToolWindow.h"

#include <QLocale>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>

namespace {

// Held by the line that stands for the hidden rest of a script: the script itself (shared with
// whoever else holds it, not copied) and where the hidden part starts.
class THiddenRest final : public QTextBlockUserData {
public:
    THiddenRest(QString Script, qsizetype Start, bool ContinuesLine)
        : FScript(std::move(Script)), FStart(Start), FContinuesLine(ContinuesLine) {}

    QStringView Rest() const { return QStringView(FScript).mid(FStart); }
    // Cut inside a line: the rest goes on the shown part's last line, with no break between.
    bool ContinuesLine() const { return FContinuesLine; }

private:
    QString FScript;
    qsizetype FStart;
    bool FContinuesLine;
};

// Where the shown part ends: after the last line break within the shown characters, or inside
// the first line when that alone is longer.
qsizetype ShownLength(const QString& Script) {
    const QStringView head = QStringView(Script).left(ShownHistoryCharacters);
    qsizetype lastBreak = std::max(head.lastIndexOf(u'\n'), head.lastIndexOf(u'\r'));
    if (lastBreak > 0 && head[lastBreak] == u'\n' && head[lastBreak - 1] == u'\r')
        --lastBreak; // the break is CR LF
    return lastBreak < 0 ? head.size() : lastBreak;
}

// A line break after the shown part is the break between it and the rest.
qsizetype BreakLength(const QString& Script, qsizetype At) {
    if (At < Script.size() && Script[At] == u'\r')
        return At + 1 < Script.size() && Script[At + 1] == u'\n' ? 2 : 1;
    return At < Script.size() && Script[At] == u'\n' ? 1 : 0;
}

QString WithLineBreaks(QStringView Text, const QString& LineBreak) {
    QString lines = Text.toString();
    lines.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    if (LineBreak != QLatin1String("\n"))
        lines.replace(u'\n', LineBreak);
    return lines;
}

} // namespace

void InsertHistoryEntry(QTextEdit* Pane, const QString& Script) {
    if (Script.size() <= ShownHistoryCharacters)
        return InsertAtTopOfPane(Pane, Script);
    const qsizetype shown = ShownLength(Script);
    const qsizetype breakLength = BreakLength(Script, shown);
    const qsizetype restStart = shown + breakLength;
    const QString marker = QStringLiteral("\u2026 %1 more characters of this script, kept for Run "
                                          "and Save")
                               .arg(QLocale::c().toString(Script.size() - restStart));
    QTextDocument* document = Pane->document();
    const bool first = document->isEmpty();
    QTextCursor top(document);
    top.beginEditBlock();
    top.movePosition(QTextCursor::Start);
    QString head = Script.left(shown);
    head.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(u'\r', u'\n');
    top.insertText(head + u'\n' + marker + (first ? QString() : QStringLiteral("\n")));
    top.endEditBlock();
    document->findBlock(static_cast<int>(head.size()) + 1)
        .setUserData(new THiddenRest(Script, restStart, breakLength == 0));
    ShowNewestEntry(Pane);
}

QString HistoryText(const QTextEdit* Pane, int From, int To, const QString& LineBreak) {
    const QTextDocument* document = Pane->document();
    QString text;
    for (QTextBlock block = document->findBlock(From); block.isValid() && block.position() <= To;
         block = block.next()) {
        const int begin = std::max(From, block.position());
        const int end = std::min(To, block.position() + block.length() - 1);
        const auto* rest = dynamic_cast<const THiddenRest*>(block.userData());
        const bool whole =
            begin == block.position() && end == block.position() + block.length() - 1;
        if (block.position() > From && !(rest && whole && rest->ContinuesLine()))
            text += LineBreak;
        if (rest && whole)
            text += WithLineBreaks(rest->Rest(), LineBreak);
        else
            text += block.text().mid(begin - block.position(), std::max(end - begin, 0));
    }
    return text;
}
