// A copy written elsewhere leaves the document's own file, name and modified mark alone.
#include "document/model/DataFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

TEST(DataFileCopy, ACopyOnDiskChangesNothingTheDocumentIsSavedAs) {
    TTempDir temp;
    TDataFile document;
    document.Simulation->NewElement(ekConstant)->Equation = "42";
    document.SaveToFile((temp / "model.qvf"));
    document.MarkModified();
    document.SaveCopyToFile((temp / "copy.qvf"));
    EXPECT_EQ(document.FileName, (temp / "model.qvf"));
    EXPECT_TRUE(document.IsModified);
    EXPECT_FALSE(std::filesystem::exists((temp / "copy.bak")));

    std::string message;
    auto copy = TDataFile::LoadModelFile((temp / "copy.qvf"), message);
    ASSERT_TRUE(copy) << message;
    EXPECT_EQ(copy->Simulation->Variables[0]->Equation, "42");
    document.MakeCurrent();
}
