#pragma once
// DBNavigator1: the record navigator. Ten buttons that move through, edit and refresh the
// dataset bound to a data source, each enabled only when its action can apply.
#include "DataSource.h"

#include <QWidget>
#include <array>
#include <functional>

class QToolButton;

class TDBNavigator final : public QWidget {
public:
    enum TNavigateBtn {
        nbFirst,
        nbPrior,
        nbNext,
        nbLast,
        nbInsert,
        nbDelete,
        nbEdit,
        nbPost,
        nbCancel,
        nbRefresh
    };
    static constexpr int ButtonCount = nbRefresh + 1;

    explicit TDBNavigator(QWidget* Parent);

    void SetDataSource(velmora::ado::TDataSource* Source);
    QToolButton* Button(TNavigateBtn Which) const { return FButtons[Which]; }
    // What a click on the button does; Delete asks first.
    void BtnClick(TNavigateBtn Which);
    // Called before every button's action: the grid writes an open cell editor's text into the
    // record, so that the action works on what the user typed.
    std::function<void(TNavigateBtn Which)> BeforeAction;

protected:
    void changeEvent(QEvent* Event) override;

private:
    void Act(TNavigateBtn Which);
    void UpdateButtons();
    // The glyphs in the palette's button text colours, enabled and disabled.
    void DrawGlyphs();

    velmora::ado::TDataLink FLink;
    std::array<QToolButton*, ButtonCount> FButtons{};
};
