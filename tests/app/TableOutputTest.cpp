// The list commands of both set-up dialogs, Data Table Set-Up with its editors, and the
// Results Table window.
#include "app/OutputTestSupport.h"

#include "app/dialogs/GraphSetUp.h"
#include "app/dialogs/SeriesEntryDialogs.h"
#include "app/dialogs/TableSetUp.h"
#include "app/output/ResultsTable.h"
#include "core/model/RunToEnd.h"
#include "document/model/DataFile.h"
#include "document/output/SeriesLists.h"
#include "support/TempDir.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>

namespace {

struct TTableFixture : TSeriesFixture {
    using TSeriesFixture::TSeriesFixture;
    QString Order() const { return TSeriesFixture::Order(*Table); }
};

} // namespace

// Buttons without a row or at the ends change nothing; after a change the selection stays on
// the list, a table's widths follow their entries, and the showing is one undo snapshot that
// marks the document modified.
TEST(SetUpLists, CommandsAtTheEndsWithoutSelectionAndWidthsInStep) {
    struct TCase {
        bool Table;
        std::vector<int32_t> Widths;
        int Select;
        const char* Button;
        const char* Order;
        std::vector<int32_t> After;
        int Selected;
    };
    const std::vector<int32_t> w = {60, 70, 80};
    const TCase cases[] = {
        {false, w, -1, "ButtonDelete", "RSP", w, -1},
        {false, w, -1, "ButtonUp", "RSP", w, -1},
        {false, w, 0, "ButtonUp", "RSP", w, 0},
        {false, w, 2, "ButtonDown", "RSP", w, 2},
        {false, w, 0, "ButtonDown", "SRP", w, 1},
        {false, w, 2, "ButtonDelete", "RS", w, 1},
        {true, w, 1, "ButtonDelete", "RP", {60, 80}, 1},
        {true, w, 2, "ButtonUp", "RPS", {60, 80, 70}, 1},
        {true, w, 0, "ButtonDown", "SRP", {70, 60, 80}, 1},
        {true, w, -1, "ButtonDown", "RSP", w, -1},
        {true, w, 2, "ButtonDown", "RSP", w, 2},
        // An older file's short list is padded with the 0 it already counted as.
        {true, {60}, 0, "ButtonDown", "SRP", {0, 60, 0}, 1},
        {true, {60}, -1, "ButtonAdd", "RSPF", {60, 0, 0, 60}, 3},
        {true, {60, 70, 80, 90}, -1, "ButtonAdd", "RSPF", {60, 70, 80, 60}, 3},
    };
    for (const TCase& c : cases) {
        TTableFixture f(c.Widths);
        TDialogScript script;
        script.Picks << "Flow In";
        const std::string before = f.ModelText();
        std::unique_ptr<TSeriesSetUp> dialog;
        if (c.Table)
            dialog = std::make_unique<TFormTableSetUp>(*f.Document, *f.Table);
        else
            dialog = std::make_unique<TFormGraphEdit>(*f.Document, *f.Graph);
        TTableGraphOutputInstance& control =
            c.Table ? static_cast<TTableGraphOutputInstance&>(*f.Table) : *f.Graph;
        dialog->Select(c.Select);
        dialog->findChild<QPushButton*>(c.Button)->click();
        const std::string label =
            (c.Table ? "table " : "graph ") + std::to_string(c.Select) + " " + c.Button;
        EXPECT_EQ(TSeriesFixture::Order(control), c.Order) << label;
        QStringList names;
        for (const TVariableDataLink* entry : control.Series)
            names << Q(entry->Var()->Name);
        EXPECT_EQ(ListColumn(*dialog->ListViewSeries, 0), names) << label;
        EXPECT_EQ(dialog->Selected(), c.Selected) << label;
        if (c.Table) {
            EXPECT_EQ(f.Table->ColumnWidths, c.After) << label;
        }
        dialog->ButtonOK->click();
        const bool changed = c.Order != QString("RSP");
        EXPECT_EQ(f.Document->IsModified, changed) << label;
        EXPECT_EQ(f.Snapshots(), changed ? 1u : 0u) << label;
        if (!changed) continue;
        f.Document->Undo();
        EXPECT_EQ(f.ModelText(), before) << label;
    }
}

TEST(TableSetUp, EditorsAndTheRunLock) {
    TTableFixture f;
    TDialogScript script;
    // Edit: the Data list of a resource, then its kind set to Derived.
    script.On["FormTableItemEdit"] = [](QDialog& d) {
        auto& editor = static_cast<TFormTableItemEdit&>(d);
        EXPECT_EQ(editor.EditElement->text(), "Stock");
        EXPECT_EQ(editor.ComboBoxData->count(), 3);
        EXPECT_EQ(editor.ComboBoxColour, nullptr);
        editor.ComboBoxData->setCurrentText("Derived");
        d.accept();
    };
    // Table Settings: only whole numbers from 1 to 100 pass.
    script.On["FormTableSettings"] = [](QDialog& d) {
        auto& settings = static_cast<TFormTableSettings&>(d);
        EXPECT_EQ(settings.EditInterval->text(), "1");
        int position = 0;
        for (auto [text, acceptable] : {std::pair{"0", false},
                                        {"101", false},
                                        {"2.5", false},
                                        {"-3", false},
                                        {"100", true},
                                        {"7", true}}) {
            QString typed = text;
            EXPECT_EQ(settings.EditInterval->validator()->validate(typed, position) ==
                          QValidator::Acceptable,
                      acceptable)
                << text;
        }
        settings.EditInterval->setText("7");
        d.accept();
    };
    script.On["FormTableSetUp"] = [](QDialog& d) {
        auto& dialog = static_cast<TFormTableSetUp&>(d);
        dialog.Select(1);
        emit dialog.ListViewSeries->itemDoubleClicked(dialog.ListViewSeries->topLevelItem(1), 0);
        dialog.ButtonTableSettings->click();
        EXPECT_EQ(ListColumn(*dialog.ListViewSeries, 1)[1], "Derived");
        dialog.ButtonOK->click();
    };
    const std::string before = f.ModelText();
    EXPECT_EQ(OpenTableSetUp(*f.Document, *f.Table, nullptr), TDialogResult::Accepted);
    EXPECT_EQ(f.Table->Series[1]->SeriesKind, skDerived);
    EXPECT_EQ(f.Table->Interval, 7);
    EXPECT_EQ(f.Snapshots(), 1u);
    EXPECT_TRUE(f.Document->IsModified);
    f.Document->Undo();
    EXPECT_EQ(f.ModelText(), before);
    f.Rebind();

    // While a run is under way only OK works; a double click opens nothing.
    f.Document->Simulation->AtStart = false;
    TFormTableSetUp locked(*f.Document, *f.Table);
    for (QPushButton* button : locked.findChildren<QPushButton*>())
        EXPECT_EQ(button->isEnabled(), button == locked.ButtonOK)
            << button->objectName().toStdString();
    locked.Select(0);
    script.Shown.clear();
    emit locked.ListViewSeries->itemDoubleClicked(locked.ListViewSeries->topLevelItem(0), 0);
    EXPECT_TRUE(script.Shown.isEmpty());
}

TEST(ResultsTable, RowsOfTheRunWithLabelsAndTimesInTheHeaders) {
    TTableFixture f({70});
    TVariableObject* stock = f.Element("Stock");
    stock->Units = "Sheep";
    for (int i = 0; i <= 12; ++i)
        stock->Simulated.AddPoint(i * 0.25, 10.0 * i * 0.25);
    TSimulationObject& model = *f.Document->Simulation;
    model.TimeUnit = "Weeks";
    model.TimeStep = 0.25;
    model.CurrentTime = 3;
    f.Table->Interval = 2;
    f.Table->Series.Move(1, 2); // Stock last
    f.Table->Series[1]->SeriesKind = skSketched;

    TFormTableView window(*f.Document, *f.Table);
    EXPECT_EQ(window.windowTitle(), "Results Table");
    const TTableGridModel& grid = *window.Grid;
    ASSERT_EQ(grid.rowCount(), 9);
    ASSERT_EQ(grid.columnCount(), 4);
    QStringList times, headers, values;
    for (int r = 2; r < grid.rowCount(); ++r)
        times << grid.headerData(r, Qt::Vertical).toString();
    for (int c = 0; c < grid.columnCount(); ++c)
        headers << grid.headerData(c, Qt::Horizontal).toString();
    for (int r = 2; r < grid.rowCount(); ++r)
        values << grid.data(grid.index(r, 3)).toString();
    EXPECT_EQ(times, QStringList({"0.000", "0.500", "1.000", "1.500", "2.000", "2.500", "3.000"}));
    EXPECT_EQ(headers, QStringList({"\nTime (Weeks)", "Rate\n", "Price (Sk)\n", "Stock\nSheep"}));
    EXPECT_EQ(values, QStringList({"0.00", "5.00", "10.00", "15.00", "20.00", "25.00", "30.00"}));
    // The label rows and the time column are headers: the body shows them nowhere else.
    EXPECT_TRUE(window.GridTable->isRowHidden(0));
    EXPECT_TRUE(window.GridTable->isRowHidden(1));
    EXPECT_TRUE(window.GridTable->isColumnHidden(0));
    EXPECT_FALSE(window.GridTable->horizontalHeader()->isHidden());
    EXPECT_FALSE(window.GridTable->verticalHeader()->isHidden());
    // The stored width where it is wide enough; one never stored (0) opens readable.
    EXPECT_EQ(window.GridTable->horizontalHeader()->sectionSize(1), 70);
    EXPECT_GT(window.GridTable->horizontalHeader()->sectionSize(2),
              window.fontMetrics().horizontalAdvance("Price (Sk)"));
    EXPECT_EQ(window.GridTable->verticalHeader()->sectionSize(2), TableGridRowHeight);

    // The whole grid as text, fixed rows and column included, the title first when any.
    const QString body = "\tRate\tPrice (Sk)\tStock\r\n"
                         "Time (Weeks)\t\t\tSheep\r\n"
                         "0.000\t0.00\t0.00\t0.00\r\n"
                         "0.500\t0.00\t0.00\t5.00\r\n"
                         "1.000\t0.00\t0.00\t10.00\r\n"
                         "1.500\t0.00\t0.00\t15.00\r\n"
                         "2.000\t0.00\t0.00\t20.00\r\n"
                         "2.500\t0.00\t0.00\t25.00\r\n"
                         "3.000\t0.00\t0.00\t30.00";
    for (const QString& title : {QString(), QString("Sheep Farm")}) {
        f.Document->Title = S(title);
        window.ActionCopyGrid->trigger();
        EXPECT_EQ(QApplication::clipboard()->text(),
                  title.isEmpty() ? body : title + "\r\n" + body);
    }
    window.reject();
    EXPECT_FALSE(f.Document->IsModified) << "viewing changes nothing";
}

TEST(ResultsTable, ResizedColumnsAreStoredAsOneEdit) {
    TTableFixture f;
    const std::string before = f.ModelText();
    {
        TFormTableView window(*f.Document, *f.Table);
        window.GridTable->horizontalHeader()->resizeSection(2, 125);
        window.ButtonClose->click();
    }
    EXPECT_EQ(f.Table->ColumnWidths, (std::vector<int32_t>{60, 125, 80}));
    EXPECT_TRUE(f.Document->IsModified);
    EXPECT_EQ(f.Snapshots(), 1u);
    f.Document->Undo();
    EXPECT_EQ(f.ModelText(), before);
    f.Rebind();

    // "Setup" stores the widths first, then shows the set-up and the grid again.
    TDialogScript script;
    script.On["FormTableSetUp"] = [](QDialog& d) {
        auto& setUp = static_cast<TFormTableSetUp&>(d);
        setUp.Select(0);
        setUp.ButtonDelete->click();
        setUp.ButtonOK->click();
    };
    f.Document->IsModified = false;
    TFormTableView window(*f.Document, *f.Table);
    window.GridTable->horizontalHeader()->resizeSection(3, 99);
    window.ButtonSetup->click();
    EXPECT_EQ(f.Table->ColumnWidths, (std::vector<int32_t>{70, 99}));
    EXPECT_EQ(window.Grid->columnCount(), 3);
    EXPECT_EQ(window.GridTable->horizontalHeader()->sectionSize(2), 99);
    EXPECT_EQ(f.Snapshots(), 2u) << "the widths, then the set-up";
}

// The Results Table of a real run opens with every heading and number readable; a column the
// user made wider stays so, and only the widths the user sets are stored with the table.
TEST(ResultsTable, ColumnsOpenWideEnoughToReadAndOnlyUserWidthsAreStored) {
    std::string message;
    std::unique_ptr<TDataFile> document =
        TDataFile::LoadModelFile((ExamplesFolder() / "customer_growth.qvf").string(), message);
    ASSERT_NE(document, nullptr) << message;
    bool tooLong = false;
    ASSERT_TRUE(document->Simulation->CheckModel());
    RunToEnd(*document->Simulation, DefaultMaxSteps, tooLong);
    TTableInstance* table = nullptr;
    for (TOutputControlInstance* control : document->Image().OutputControls)
        if (!table) table = dynamic_cast<TTableInstance*>(control);
    ASSERT_NE(table, nullptr);
    ASSERT_GE(table->ColumnCount(), 2);
    const std::vector<int32_t> stored = table->ColumnWidths;
    table->SetColumnWidth(1, 300); // as if the user had widened it before
    {
        TFormTableView window(*document, *table);
        const QHeaderView& header = *window.GridTable->horizontalHeader();
        const QFontMetrics metrics(window.GridTable->font());
        const TTableGridReader& grid = window.Grid->Reader();
        for (int c = 1; c < grid.ColumnCount(); ++c) {
            SCOPED_TRACE(grid.Cell(0, c));
            const int width = header.sectionSize(c);
            for (int line : {0, 1})
                EXPECT_GT(width, header.fontMetrics().horizontalAdvance(Q(grid.Cell(line, c))));
            for (int64_t row : {int64_t{2}, grid.RowCount() - 1})
                EXPECT_GT(width, metrics.horizontalAdvance(Q(grid.Cell(row, c))));
        }
        EXPECT_EQ(header.sectionSize(2), 300);
        window.ButtonClose->click();
    }
    EXPECT_EQ(table->ColumnWidth(0), stored[0]) << "shown wider, stored as it was";
    EXPECT_EQ(table->ColumnWidth(1), 300);
    EXPECT_FALSE(document->IsModified);
    EXPECT_TRUE(document->UndoStack.empty());
}
