// Round trips through XMILE: the example models (and a golden one) out and back run to the same
// values, and an XMILE model in, out and in again is the same model.
#include "XmileTestSupport.h"

namespace {

TEST(XmileRoundTrip, EveryExampleExportedAndImportedRunsToTheSameValues) {
    std::vector<fs::path> files = ExampleFiles();
    // With every function that reads back the run, trigonometry, MODULO and PULSETRAIN.
    files.push_back(SourceFolder() / "tests" / "golden" / "later_builtins" / "model.qvf");
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        std::string message;
        std::unique_ptr<TDataFile> original = TDataFile::LoadModelFile(file.string(), message);
        ASSERT_TRUE(original) << message;
        TRunValues before = RunModel(*original);

        TXmileExport exported = ExportXmile(*original, true);
        ASSERT_EQ(exported.Fault, TXmileFault::None) << exported.Error;
        TXmileImport imported = ImportXmileText(exported.Text, "back.xmile");
        ASSERT_TRUE(imported.Document) << imported.Error;
        EXPECT_TRUE(imported.Warnings.empty()) << imported.Warnings.front();
        TRunValues after = RunModel(*imported.Document);

        // Whatever was not left out is there, and computes the same at every step.
        size_t kept = 0;
        for (const auto& [name, values] : before) {
            bool leftOut = false;
            for (const std::string& line : exported.LeftOut)
                leftOut = leftOut || line.rfind(name + " (", 0) == 0;
            if (leftOut) continue;
            ++kept;
            ASSERT_TRUE(after.count(name)) << name;
            ASSERT_EQ(after[name].size(), values.size()) << name;
            for (size_t n = 0; n < values.size(); ++n)
                ASSERT_TRUE(Close(after[name][n], values[n]))
                    << name << " at step " << n << ": " << after[name][n] << " expected "
                    << values[n];
        }
        EXPECT_EQ(kept, after.size());
        // The diagram came along: as many shapes of what was kept.
        EXPECT_GE(imported.Document->Image().Elements.Count() + 0, static_cast<int>(kept) - 1);
    }
}

TEST(XmileRoundTrip, WhatXmileCannotHoldRefusesTheExportOrIsLeftOutOnRequest) {
    std::string message;
    auto investment =
        TDataFile::LoadModelFile((ExamplesFolder() / "investment.qvf").string(), message);
    ASSERT_TRUE(investment) << message;
    TXmileExport refused = ExportXmile(*investment, false);
    EXPECT_EQ(refused.Fault, TXmileFault::Refused);
    EXPECT_TRUE(refused.Text.empty());
    EXPECT_EQ(refused.Error,
              "Not exported: XMILE has no counterpart for Present Value (uses PV), Future Value "
              "(uses FV), Discounted Cash Flows (uses NPV), Net Present Value (depends on "
              "Discounted Cash Flows).");
    TXmileExport dropped = ExportXmile(*investment, true);
    EXPECT_EQ(dropped.LeftOut,
              (std::vector<std::string>{"Present Value (uses PV)", "Future Value (uses FV)",
                                        "Discounted Cash Flows (uses NPV)",
                                        "Net Present Value (depends on Discounted Cash Flows)"}));
    EXPECT_EQ(dropped.Text.find("Present Value"), std::string::npos);

    auto growth =
        TDataFile::LoadModelFile((ExamplesFolder() / "customer_growth.qvf").string(), message);
    ASSERT_TRUE(growth) << message;
    EXPECT_EQ(ExportXmile(*growth, false).Error,
              "Not exported: XMILE has no counterpart for the sketched data of Customers.");
}

// The model's record without what an import sets from outside the model (dates, the
// document's notes).
std::string ModelText(TDataFile& document) {
    document.Created = document.Modified = 0;
    document.Notes.clear();
    document.Title.clear();
    return document.SavedText();
}

TEST(XmileRoundTrip, AnXmileModelImportedExportedAndImportedAgainIsTheSameModel) {
    for (const fs::path& file : XmileModels()) {
        SCOPED_TRACE(file.string());
        TXmileImport first = ImportXmileFile(file.string());
        ASSERT_TRUE(first.Document) << first.Error;
        TXmileExport exported = ExportXmile(*first.Document, false);
        ASSERT_EQ(exported.Fault, TXmileFault::None) << exported.Error;
        TXmileImport second = ImportXmileText(exported.Text, file.string());
        ASSERT_TRUE(second.Document) << second.Error << "\n" << exported.Text;
        // The XMILE written the second time is the same text.
        EXPECT_EQ(ExportXmile(*second.Document, false).Text, exported.Text);
        const std::string a = ModelText(*first.Document), b = ModelText(*second.Document);
        EXPECT_EQ(a, b) << exported.Text;
    }
}

} // namespace

namespace {

TEST(XmileRoundTrip, AnExportedFileIsWrittenWholeOrNotAtAll) {
    TXmileImport imported = ImportXmileData("teacup");
    ASSERT_TRUE(imported.Document) << imported.Error;
    TXmileExport exported = ExportXmile(*imported.Document, false);
    TTempDir folder;
    const fs::path file = folder.Path / "teacup out.xmile";
    std::string error;
    ASSERT_TRUE(WriteXmileFile(file.string(), exported.Text, error)) << error;
    EXPECT_EQ(ReadWholeFile(file), exported.Text);
    TXmileImport again = ImportXmileFile(file.string());
    ASSERT_TRUE(again.Document) << again.Error;
    EXPECT_EQ(again.Document->Simulation->Variables.Count(), 4);

    EXPECT_FALSE(WriteXmileFile((folder.Path / "missing" / "x.xmile").string(), "x", error));
    EXPECT_NE(error.find("couldn't write"), std::string::npos) << error;
    TXmileImport missing = ImportXmileFile((folder.Path / "none.xmile").string());
    EXPECT_FALSE(missing.Document);
    EXPECT_EQ(missing.Fault, TXmileFault::Malformed);
    EXPECT_EQ(missing.Error, FileMissingMessage((folder.Path / "none.xmile").string()));
}

} // namespace
