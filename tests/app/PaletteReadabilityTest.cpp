// The main window under a light and a dark desktop palette, read by its pixels: the grid's text,
// the editor's coloured words, the tree's field nodes, the status bar under the editor, and the
// icons of the toolbar, the navigator and the image list all stand out from what they are drawn
// on. The fixed colours stay exactly as they are on the light palette.
#include "DBGrid.h"
#include "DBNavigator.h"
#include "DemoWorkspace.h"
#include "ImageList.h"
#include "MemoScriptEditor.h"
#include "PaletteContrast.h"
#include "ScriptedDialogs.h"
#include "StatusBar.h"
#include "untDataModule1.h"
#include "untMain.h"

#include <QApplication>
#include <QHash>
#include <QPainter>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>
#include <gtest/gtest.h>
#include <memory>

namespace {

enum class TDesktop { Light, Dark };

// A dark desktop as the common dark themes make it.
QPalette DarkPalette() {
    QPalette dark;
    const QColor window(53, 53, 53), base(35, 38, 41), light(238, 238, 238), grey(128, 128, 128);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        dark.setColor(group, QPalette::Window, window);
        dark.setColor(group, QPalette::WindowText, light);
        dark.setColor(group, QPalette::Base, base);
        dark.setColor(group, QPalette::AlternateBase, window);
        dark.setColor(group, QPalette::Text, light);
        dark.setColor(group, QPalette::Button, window);
        dark.setColor(group, QPalette::ButtonText, light);
        dark.setColor(group, QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(group, QPalette::HighlightedText, Qt::white);
        dark.setColor(group, QPalette::PlaceholderText, grey);
    }
    dark.setColor(QPalette::Disabled, QPalette::Window, window);
    dark.setColor(QPalette::Disabled, QPalette::Base, base);
    dark.setColor(QPalette::Disabled, QPalette::Button, window);
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::PlaceholderText})
        dark.setColor(QPalette::Disabled, role, grey);
    return dark;
}

// The colour most pixels of the area have: what the rest is drawn on.
QColor Background(const QImage& Image, const QRect& Whole) {
    const QRect Area = Whole & Image.rect();
    QHash<QRgb, int> counts;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            ++counts[Image.pixel(x, y)];
    QRgb most = 0;
    int mostCount = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        if (it.value() > mostCount) {
            most = it.key();
            mostCount = it.value();
        }
    return QColor::fromRgb(most);
}

// The pixels of the area that stand out from its background by at least the ratio.
QList<QColor> Standing(const QImage& Image, const QRect& Whole, const QColor& background,
                       double Ratio) {
    const QRect Area = Whole & Image.rect();
    QList<QColor> pixels;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (ContrastRatio(Image.pixelColor(x, y), background) >= Ratio)
                pixels << Image.pixelColor(x, y);
    return pixels;
}

// The same against the colour most pixels of the area have.
QList<QColor> Standing(const QImage& Image, const QRect& Area, double Ratio) {
    return Standing(Image, Area, Background(Image, Area), Ratio);
}

const char* const TwoRows = "select 'MMMMMMMM' as Result union all select 'WWWWWWWW'";

// Non-text marks such as icons need 3:1 with what surrounds them.
constexpr double IconContrast = 3.0;

class PaletteReadability : public testing::TestWithParam<TDesktop> {
protected:
    void SetUp() override {
        FPrevious = QApplication::palette();
        FPreviousFont = QApplication::font();
        // A desktop font twice the usual size: glyph stems two pixels wide show their colour
        // whole, where one pixel wide they blend with the paper.
        QFont large = FPreviousFont;
        large.setPointSizeF(18);
        QApplication::setFont(large);
        QApplication::setPalette(GetParam() == TDesktop::Dark
                                     ? DarkPalette()
                                     : QApplication::style()->standardPalette());
        Window = std::make_unique<TfrmMain>();
        Window->resize(1000, 700);
        Window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
    }
    void TearDown() override {
        Window.reset();
        QApplication::setPalette(FPrevious);
        QApplication::setFont(FPreviousFont);
    }

    bool Dark() const { return GetParam() == TDesktop::Dark; }

    void ConnectToDemo() {
        Window->OpenConnection("demo.udl", true);
        ASSERT_EQ(Window->StatusBar1->PanelText(0), "Connected");
    }
    void Run(const QString& Script) {
        Window->SourceEdit1->SetText(Script);
        Window->SourceEdit1->SetSelection(0, 0);
        Window->EntireScript1->trigger();
        QCoreApplication::processEvents();
    }
    static QImage Grabbed(QWidget* Widget) { return Widget->grab().toImage(); }

    // The editor's first line, columns From to To (from 1), as shown.
    QRect EditorCells(int From, int To) const {
        const auto& editor = dynamic_cast<TMemoScriptEditor&>(*Window->SourceEdit1).SourceEdit();
        const int width = editor.CharWidth();
        return {editor.TextLeft() + (From - 1) * width, 0, (To - From + 1) * width,
                editor.LineHeight()};
    }

    // Text in the area reads on its background: some of its pixels reach the text contrast.
    static void ExpectReadable(const QImage& Image, const QRect& Area, const std::string& What) {
        EXPECT_GE(Standing(Image, Area, ReadableContrast).size(), 3)
            << What << " on " << Background(Image, Area).name().toStdString();
    }
    // An icon on a button shows: enough of its pixels stand out from the button.
    static void ExpectVisibleIcon(QToolButton* Button, const std::string& What) {
        const QImage shown = Grabbed(Button);
        const QSize icon = Button->iconSize();
        const QRect centre(
            QPoint((shown.width() - icon.width()) / 2, (shown.height() - icon.height()) / 2), icon);
        const QColor face = Background(shown, shown.rect());
        EXPECT_GE(Standing(shown, centre, face, IconContrast).size(), icon.width() * 2)
            << What << " on " << face.name().toStdString();
    }

    TScriptedDialogs Dialogs;
    TDemoWorkspace Workspace;
    std::unique_ptr<TfrmMain> Window;

private:
    QPalette FPrevious;
    QFont FPreviousFont;
};

TEST_P(PaletteReadability, TheGridsTextReadsOnItsBackground) {
    ConnectToDemo();
    Run(TwoRows);
    const QModelIndex cell = Window->DBGrid1->model()->index(1, 0); // not the current row
    ASSERT_TRUE(cell.isValid());
    const QImage shown = Grabbed(Window->DBGrid1->viewport());
    const QRect area = Window->DBGrid1->visualRect(cell);
    ExpectReadable(shown, area, "the grid's text");
    // White as the window's design has it, where the palette's text reads on white.
    EXPECT_EQ(Background(shown, area),
              Dark() ? Window->DBGrid1->palette().color(QPalette::Base) : QColor(Qt::white));
}

TEST_P(PaletteReadability, TheEditorsColouredWordsReadAndKeepTheirColoursOnLight) {
    Window->SourceEdit1->SetText("select 1 + 2, 'HH' -- HIM");
    QCoreApplication::processEvents();
    const QImage shown = Grabbed(dynamic_cast<TMemoScriptEditor&>(*Window->SourceEdit1).viewport());
    struct TWord {
        int From, To;
        QColor Fixed;
        const char* What;
    };
    const TWord words[] = {{1, 6, QColor(0, 0, 255), "a keyword (blue)"},
                           {8, 8, QColor(0, 0, 255), "a number (blue)"},
                           {10, 10, QColor(0, 0, 0), "a symbol (black)"},
                           {15, 18, QColor(255, 0, 0), "a string (red)"},
                           {20, 25, QColor(0, 128, 128), "a comment (teal)"}};
    for (const TWord& word : words) {
        const QRect area = EditorCells(word.From, word.To);
        if (!Dark()) {
            // Exactly the colour the settings give, however it contrasts with white.
            EXPECT_TRUE(Standing(shown, area, 1.01).contains(word.Fixed)) << word.What;
            continue;
        }
        ExpectReadable(shown, area, word.What);
        if (word.Fixed.hslHue() < 0)
            continue;
        // The same hue, lighter.
        const QList<QColor> ink = Standing(shown, area, ReadableContrast);
        if (ink.isEmpty())
            continue;
        const QColor boldest =
            *std::max_element(ink.cbegin(), ink.cend(), [](const QColor& a, const QColor& b) {
                return a.hslSaturation() < b.hslSaturation();
            });
        EXPECT_NEAR(boldest.hslHue(), word.Fixed.hslHue(), 6) << word.What;
    }
}

TEST_P(PaletteReadability, FieldNodesReadInMaroonOrItsLighterShade) {
    ConnectToDemo();
    QTreeWidget* tree = Window->tvTablesViews;
    QTreeWidgetItem* customers =
        tree->findItems("customers", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    ASSERT_NE(customers, nullptr);
    tree->setCurrentItem(customers);
    emit tree->itemDoubleClicked(customers, 0);
    ASSERT_GT(customers->childCount(), 0);
    tree->setCurrentItem(customers); // the field node is drawn unselected
    QCoreApplication::processEvents();
    QRect area = tree->visualItemRect(customers->child(0));
    area.setLeft(area.left() + 20); // past the icon: the text
    const QImage shown = Grabbed(tree->viewport());
    ExpectReadable(shown, area, "a field node");
    const QList<QColor> ink = Standing(shown, area, ReadableContrast);
    if (!Dark()) {
        EXPECT_TRUE(ink.contains(QColor(128, 0, 0)));
    }
    for (const QColor& pixel : ink) {
        if (pixel.hslSaturation() > 128) { // the text's own colour, not its blend with the paper
            EXPECT_LE(std::min(pixel.hslHue(), 360 - pixel.hslHue()), 6);
        }
    }
}

TEST_P(PaletteReadability, TheStatusBarUnderTheEditorIsSilverOnlyWhereItsTextReads) {
    Window->SourceEdit1->SetText("select 1");
    QCoreApplication::processEvents();
    const QImage shown = Grabbed(Window->StatusBar2);
    ExpectReadable(shown, shown.rect(), "the editor's status bar");
    if (!Dark()) {
        EXPECT_EQ(Background(shown, shown.rect()), QColor(0xC0, 0xC0, 0xC0));
    }
}

TEST_P(PaletteReadability, TheRunAndNavigatorIconsShowOnTheirButtons) {
    ConnectToDemo();
    Run("select * from customers");
    ExpectVisibleIcon(Window->ToolButton9, "the Run button");
    for (const auto which : {TDBNavigator::nbNext, TDBNavigator::nbLast, TDBNavigator::nbRefresh})
        ExpectVisibleIcon(Window->DBNavigator1->Button(which), "a navigator button");
}

TEST_P(PaletteReadability, EveryImageOfTheListShowsOnTheWindowColour) {
    const QColor window = QApplication::palette().color(QPalette::Window);
    for (int i = 0; i < ImageCount; ++i) {
        QImage drawn(16, 16, QImage::Format_RGB32);
        drawn.fill(window);
        QPainter painter(&drawn);
        ImageList1(i).paint(&painter, drawn.rect());
        painter.end();
        EXPECT_GE(Standing(drawn, drawn.rect(), window, IconContrast).size(), 24) << "image " << i;
    }
}

TEST_P(PaletteReadability, ThePaletteCanChangeWhileTheWindowIsOpen) {
    ConnectToDemo();
    Run(TwoRows);
    QApplication::setPalette(Dark() ? QApplication::style()->standardPalette() : DarkPalette());
    QCoreApplication::processEvents();
    const QModelIndex cell = Window->DBGrid1->model()->index(1, 0);
    ExpectReadable(Grabbed(Window->DBGrid1->viewport()), Window->DBGrid1->visualRect(cell),
                   "the grid's text after the change");
    const QImage status = Grabbed(Window->StatusBar2);
    ExpectReadable(status, status.rect(), "the editor's status bar after the change");
    ExpectVisibleIcon(Window->DBNavigator1->Button(TDBNavigator::nbRefresh),
                      "a navigator button after the change");
}

INSTANTIATE_TEST_SUITE_P(Desktops, PaletteReadability,
                         testing::Values(TDesktop::Light, TDesktop::Dark),
                         [](const testing::TestParamInfo<TDesktop>& Info) {
                             return Info.param == TDesktop::Dark ? "Dark" : "Light";
                         });

} // namespace
