// Saving a workbook keeps the file it replaces among its versions, in a scratch data folder;
// a version that cannot be kept never stops the save, and the user is told why.
#include "document/document.h"
#include "document/row_list.h"
#include "support/scripted_prompts.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

namespace rowbit {
namespace {

using testing::ScratchDir;
using testing::ScriptedPrompts;
using testing::testData;

std::string bytesOf(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(DocumentVersions, EachSaveFirstKeepsTheFileItReplaces) {
    enum class Store { Folder, FolderIsAFile, SmallCap, None };
    struct Case {
        const char* what;
        Store store;
        bool secondName; // the workbook has another name too: the save writes into it
        bool unnamed;    // a new workbook saved for the first time
        int saves;
        std::size_t versions; // kept afterwards
        const char* toldWhy;  // in the message after the save; "" none
    };
    const Case cases[] = {
        {"a save keeps the file as it was", Store::Folder, false, false, 1, 1, ""},
        {"the sixth save rotates the first version out", Store::Folder, false, false, 6, 5, ""},
        {"a file with two names keeps its old content", Store::Folder, true, false, 1, 1, ""},
        {"a data folder that is a file", Store::FolderIsAFile, false, false, 1, 0,
         "버전 보관 폴더에 쓸 수 없어 저장하기 전의 파일을 이전 버전으로 보관하지 못했으니"},
        {"a file larger than the versions may be", Store::SmallCap, false, false, 1, 0,
         "파일이 버전 보관 한도보다 커서"},
        {"versions turned off", Store::None, false, false, 1, 0, ""},
        {"the first save of a new workbook", Store::Folder, false, true, 1, 0, ""},
    };
    for (const char* ext : {".xls", ".xlsx"}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " " + ext);
            ScratchDir dir;
            const auto data = dir / "data";
            const auto folder = data / "rowbit" / "versions";
            const auto path = dir / (std::string("ledger") + ext);
            Document doc;
            AppState state;
            ScriptedPrompts prompts;
            state.workingFolder = dir.path().string();
            state.datePicture = "@D9-";
            if (c.unnamed) {
                doc.path = state.unnamedPath();
                prompts.saveAnswers.push_back(path.string());
            } else {
                std::filesystem::copy_file(testData() / "document" / ("ledger" + std::string(ext)),
                                           path);
                doc.path = path.string();
            }
            if (c.secondName)
                std::filesystem::create_hard_link(path, dir / "alias");
            if (c.store == Store::FolderIsAFile)
                std::ofstream(data) << "not a folder";
            if (c.store != Store::None)
                doc.versions.emplace(folder,
                                     VersionLimits{5, c.store == Store::SmallCap ? 64u : 1u << 30});
            ASSERT_NE(doc.open(state, prompts, nullptr).kind, LoadOutcome::Unreadable);
            fillRecordList(doc, state, prompts);

            std::string before;
            for (int n = 0; n < c.saves; ++n) {
                before = c.unnamed ? "" : bytesOf(path);
                doc.records.buffer.clear();
                doc.records.buffer.col[0] = "저장 " + std::to_string(n);
                doc.records.add();
                doc.modified = true;
                const SaveOutcome saved = doc.save(state, prompts);
                ASSERT_EQ(saved.status, SaveStatus::Saved);
                EXPECT_EQ(saved.versionNotKept.has_value(), *c.toldWhy != '\0');
            }
            const std::vector<std::string> told = prompts.messageTexts();
            if (*c.toldWhy) {
                ASSERT_EQ(told.size(), 1u);
                EXPECT_NE(told[0].find(c.toldWhy), std::string::npos) << told[0];
            } else {
                EXPECT_TRUE(told.empty()) << told[0];
            }
            const auto kept = VersionStore(folder).list(path.string());
            ASSERT_EQ(kept.size(), c.versions);
            if (c.store == Store::None || c.unnamed) {
                EXPECT_FALSE(std::filesystem::exists(folder));
            }
            if (kept.empty())
                continue;
            // The newest version is the workbook as it was before the last save.
            EXPECT_EQ(bytesOf(kept[0].path), before);
            EXPECT_NE(bytesOf(path), before);
            if (c.secondName) {
                EXPECT_EQ(bytesOf(dir / "alias"), bytesOf(path));
            }
        }
    }
}

} // namespace
} // namespace rowbit
