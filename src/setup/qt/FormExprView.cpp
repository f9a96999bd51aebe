// The parameters window laid out as a chemist reads an experiment: what reacts (species and
// steps, one row each under column headings, fit ranges beside the value they bound) on the
// left; the cell, the solution and the instrument on the right.

#include "setup/qt/SetupViews.h"
#include "setup/qt/SetupWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace kemvo::qt {
namespace {

// Width of the step equations, so that the columns of both kinds of step line up.
constexpr int kStepColumn = 60;
// Widths of a fit limit's box and of a step's value box [px]: "1e-12" and "-0.125" with a
// little room; narrow, so that a step's row with its three fit entries fits a 1280 px screen.
constexpr int kFitLimitWidth = 44;
constexpr int kStepValueWidth = 54;
constexpr int kStepSpacing = 4; // between the columns of a step's row [px]

class FormExprLayout {
public:
    FormExprLayout(Application &app, FormExpr &form, QWidget *view)
        : w_(app, view), f_(form), view_(view) {}

    void build() {
        auto *columns = new QHBoxLayout(view_);
        auto *reaction = new QVBoxLayout;
        reaction->addWidget(species());
        reaction->addWidget(chargeSteps());
        reaction->addWidget(chemicalSteps());
        reaction->addWidget(fitWindow());
        reaction->addWidget(electrolyte());
        reaction->addStretch();
        columns->addLayout(reaction);

        auto *cell = new QVBoxLayout;
        cell->addWidget(instrument());
        cell->addWidget(scan());
        cell->addWidget(electrode());
        auto *boxes = new QHBoxLayout;
        boxes->addWidget(w_.check(f_.CheckPreEqu));
        boxes->addWidget(w_.check(f_.CheckPreCon));
        boxes->addStretch();
        cell->addLayout(boxes);
        cell->addWidget(preconcentration());
        cell->addStretch();
        // The note of a changed area stands beside OK, where it is read before the window closes.
        auto *ok = new QHBoxLayout;
        ok->addWidget(w_.caption(f_.LabelAreaNote));
        ok->addStretch();
        QPushButton *button = w_.button(f_.OK);
        button->setDefault(true);
        button->setMinimumWidth(90);
        ok->addWidget(button);
        cell->addLayout(ok);
        columns->addLayout(cell);
    }

private:
    // A fit entry beside the value it bounds: tick box, then min and max.
    void fitCells(QGridLayout *grid, int row, int column, int entry) {
        SetupWidgets::place(grid, w_.fitCheck(f_.CheckFitted(entry)), row, column);
        SetupWidgets::place(grid, w_.edit(f_.TextCmin(entry), kFitLimitWidth), row, column + 1);
        SetupWidgets::place(grid, w_.edit(f_.TextCmax(entry), kFitLimitWidth), row, column + 2);
    }
    void fitHint(QGridLayout *grid, int column) {
        grid->addWidget(w_.hint(QStringLiteral("fit: min \u2013 max")), 0, column, 1, 3);
    }

    QGroupBox *species() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame4, grid);
        int column = 1;
        for (Label *heading : {&f_.LabelD, &f_.LabelC, &f_.LabelCinit, &f_.LabelCond,
                               &f_.LabelCfitted, &f_.LabelCmin, &f_.LabelCmax})
            SetupWidgets::place(grid, w_.caption(*heading), 0, column++);
        for (int j = 1; j <= 4; ++j) {
            SetupWidgets::place(grid, w_.caption(f_.specie(j)), j, 0);
            SetupWidgets::place(grid, w_.edit(f_.D(j)), j, 1);
            SetupWidgets::place(grid, w_.edit(f_.C(j)), j, 2);
            SetupWidgets::place(grid, w_.readout(f_.Cinit(j)), j, 3);
            SetupWidgets::place(grid, w_.edit(f_.Cond(j - 1)), j, 4);
            fitCells(grid, j, 5, fitConcentration(j));
        }
        grid->setColumnStretch(8, 1);
        return box;
    }

    QGroupBox *chargeSteps() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame2, grid);
        SetupWidgets::place(grid, w_.caption(f_.LabelN), 0, 1);
        SetupWidgets::place(grid, w_.caption(f_.LabelKs), 0, 2);
        fitHint(grid, 3);
        SetupWidgets::place(grid, w_.caption(f_.LabelAlpha), 0, 6);
        fitHint(grid, 7);
        SetupWidgets::place(grid, w_.caption(f_.LabelE0), 0, 10);
        fitHint(grid, 11);
        for (int r = 1; r <= 3; ++r) {
            SetupWidgets::place(grid, w_.caption(f_.heter(r)), r, 0);
            SetupWidgets::place(grid, w_.combo(f_.NEL(r)), r, 1);
            SetupWidgets::place(grid, w_.edit(f_.ks(r), kStepValueWidth), r, 2);
            fitCells(grid, r, 3, fitKs(r));
            SetupWidgets::place(grid, w_.edit(f_.alph(r), kStepValueWidth), r, 6);
            fitCells(grid, r, 7, fitAlpha(r));
            SetupWidgets::place(grid, w_.edit(f_.Eze(r), kStepValueWidth), r, 10);
            fitCells(grid, r, 11, fitE0(r));
        }
        grid->setColumnMinimumWidth(0, kStepColumn);
        grid->setColumnStretch(14, 1);
        grid->setHorizontalSpacing(kStepSpacing);
        return box;
    }

    QGroupBox *chemicalSteps() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame6, grid);
        SetupWidgets::place(grid, w_.caption(f_.LabelP), 0, 1);
        SetupWidgets::place(grid, w_.caption(f_.LabelKf), 0, 2);
        fitHint(grid, 3);
        SetupWidgets::place(grid, w_.caption(f_.LabelKb), 0, 6);
        fitHint(grid, 7);
        SetupWidgets::place(grid, w_.caption(f_.LabelKeqHead), 0, 10);
        for (int r = 1; r <= 3; ++r) {
            SetupWidgets::place(grid, w_.caption(f_.homo(r)), r, 0);
            SetupWidgets::place(grid, w_.combo(f_.pl(r)), r, 1);
            SetupWidgets::place(grid, w_.edit(f_.kf(r), kStepValueWidth), r, 2);
            fitCells(grid, r, 3, fitKf(r));
            SetupWidgets::place(grid, w_.edit(f_.kb(r), kStepValueWidth), r, 6);
            fitCells(grid, r, 7, fitKb(r));
            SetupWidgets::place(grid, w_.readout(f_.LabelKeq(r)), r, 10);
        }
        grid->setColumnMinimumWidth(0, kStepColumn);
        grid->setColumnStretch(14, 1);
        grid->setHorizontalSpacing(kStepSpacing);
        return box;
    }

    using Field = std::pair<Label *, TextBox *>;

    // Captions and boxes side by side, two pairs to a row, from pair `first` on; the boxes
    // take the spare width. Returns the index after the last pair.
    int fieldPairs(QGridLayout *grid, std::initializer_list<Field> fields, int first = 0) {
        int index = first;
        for (const auto &[caption, field] : fields) {
            int row = index / 2;
            int column = 2 * (index % 2);
            grid->addWidget(w_.caption(*caption), row, column);
            grid->addWidget(w_.edit(*field), row, column + 1);
            ++index;
        }
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
        return index;
    }

    QGroupBox *instrument() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame3, grid);
        int index = fieldPairs(grid, {{&f_.LabelEstart, &f_.Estart},
                                      {&f_.LabelEend, &f_.Eend},
                                      {&f_.LabelEstep, &f_.Estep},
                                      {&f_.LabelV, &f_.V},
                                      {&f_.Labeltd, &f_.td},
                                      {&f_.Labeltp, &f_.tp},
                                      {&f_.LabelEpulse, &f_.Epulse},
                                      {&f_.LabelF, &f_.TextF},
                                      {&f_.LabelNoise, &f_.Noise},
                                      {&f_.LabelCdl, &f_.Cdl},
                                      {&f_.LabelRu, &f_.Ru},
                                      {&f_.Labeltemp, &f_.txttemp},
                                      {&f_.LabelEvertex2, &f_.Evertex2},
                                      {&f_.LabelEfinal, &f_.Efinal},
                                      {&f_.LabelQuiet, &f_.TextQuiet},
                                      {&f_.LabelVertexHold, &f_.TextVertexHold},
                                      {&f_.LabelStarts, &f_.TextStarts}});
        QListWidget *scans = w_.list(f_.ListScan);
        scans->setFlow(QListView::LeftToRight);
        scans->setFixedSize(120, 26);
        // Beside the last pair (the quiet time), or on a row of its own after a full row.
        const int row = index / 2;
        grid->addWidget(scans, row, index % 2 == 1 ? 2 : 1, 1, index % 2 == 1 ? 2 : 3);
        grid->addLayout(instrumentFits(), row + 1, 0, 1, 4);
        return box;
    }

    // The double-layer capacitance and the resistance as fit entries, under their boxes.
    QGridLayout *instrumentFits() {
        auto *grid = new QGridLayout;
        fitHint(grid, 1);
        grid->addWidget(w_.hint(f_.LabelCdl.caption().c_str()), 1, 0);
        fitCells(grid, 1, 1, fitCdl());
        grid->addWidget(w_.hint(f_.LabelRu.caption().c_str()), 2, 0);
        fitCells(grid, 2, 1, fitRu());
        grid->setColumnStretch(4, 1);
        return grid;
    }

    QGroupBox *scan() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame5, grid);
        grid->addWidget(w_.radio(f_.option9), 0, 0);
        grid->addWidget(w_.radio(f_.option10), 0, 1);
        grid->addWidget(w_.radio(f_.Option11), 0, 2);
        grid->addWidget(w_.radio(f_.Option12), 0, 3);
        grid->addWidget(w_.edit(f_.TextCycles, 40), 0, 4);
        return box;
    }

    QGroupBox *fitWindow() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.FrameFit, grid);
        fieldPairs(grid, {{&f_.LabelFitFrom, &f_.TextFitFrom},
                          {&f_.LabelFitTo, &f_.TextFitTo},
                          {&f_.LabelFitCycleFrom, &f_.TextFitCycleFrom},
                          {&f_.LabelFitCycleTo, &f_.TextFitCycleTo}});
        return box;
    }

    QGroupBox *electrode() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame7, grid);
        for (int k = 1; k <= 8; ++k)
            grid->addWidget(w_.radio(f_.optElectrode(k)), (k - 1) / 2, 2 * ((k - 1) % 2), 1, 2);
        fieldPairs(grid,
                   {{&f_.LabelRadius, &f_.radius},
                    {&f_.LabelLength, &f_.leng},
                    {&f_.LabelArea, &f_.ARE},
                    {&f_.LabelDis, &f_.TextDis},
                    {&f_.LabelRrate, &f_.TextRrate}},
                   8);
        return box;
    }

    QGroupBox *electrolyte() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.Frame1, grid);
        fieldPairs(grid, {{&f_.LabelElectrolyteC, &f_.TextElectrolyteC},
                          {&f_.LabelElectrolyteCond, &f_.TextElectrolyteCond},
                          {&f_.LabelVis, &f_.TextVis}});
        return box;
    }

    QGroupBox *preconcentration() {
        QGridLayout *grid = nullptr;
        QGroupBox *box = w_.group(f_.FramePre, grid);
        fieldPairs(grid, {{&f_.LabelEPre, &f_.txtEPre},
                          {&f_.LabelPconst, &f_.txtPconst},
                          {&f_.LabelRStir, &f_.txtRStir},
                          {&f_.LabelTPre, &f_.txtTPre},
                          {&f_.LabelTpreconst, &f_.txtTpreconst}});
        return box;
    }

    SetupWidgets w_;
    FormExpr &f_;
    QWidget *view_;
};

} // namespace

QWidget *createFormExprView(Application &app, FormExpr &form) {
    auto *view = new QWidget;
    FormExprLayout(app, form, view).build();
    activateOnFocus(view, form, app);
    return view;
}

} // namespace kemvo::qt
