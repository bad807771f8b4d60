#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

// A translator for the length of a test; English again afterwards.
class TTranslatorScope {
public:
    explicit TTranslatorScope(std::map<std::string, std::string> table)
        : FSaved(rtl::SetTranslator([table = std::move(table)](const char* source) {
              const auto found = table.find(source);
              return found == table.end() ? std::string() : found->second;
          })) {}
    ~TTranslatorScope() { rtl::SetTranslator(FSaved); }

private:
    rtl::TTranslator FSaved;
};

} // namespace

TEST(Texts, TranslationsAreUsedOnlyWhereTheyTakeTheSourcesArguments) {
    const char* const source = "The program cannot write the disk image %d (\"%s\"): %s.";
    // Without a translator the source itself comes back, as the CLI and the tests rely on.
    EXPECT_EQ(rtl::Tr(source), source);
    {
        TTranslatorScope japanese({
            {source, "ディスクイメージ %1$d (\"%2$s\") を書き込めません: %3$s。"},
            {"%s has %d sectors", "%2$d sectors in %1$s"},
            {"%d items", "%s 個"},
            {"%s bytes", "バイト"},
            {"100%", "百"},
            {"%lld bytes", "%d バイト"},
        });
        EXPECT_EQ(rtl::Format(rtl::Tr(source), 3, "GAME", "track 1 side 0"),
                  "ディスクイメージ 3 (\"GAME\") を書き込めません: track 1 side 0。");
        EXPECT_EQ(rtl::Format(rtl::Tr("%s has %d sectors"), "Track 2", 9), "9 sectors in Track 2");
        // Another type, an argument dropped or another length: the English stays, so that
        // printf never reads what was not passed.
        EXPECT_STREQ(rtl::Tr("%d items"), "%d items");
        EXPECT_STREQ(rtl::Tr("%s bytes"), "%s bytes");
        EXPECT_STREQ(rtl::Tr("%lld bytes"), "%lld bytes");
        // A text that is no format takes its translation as it is; one without any stays.
        EXPECT_STREQ(rtl::Tr("100%"), "百");
        EXPECT_STREQ(rtl::Tr("Sort by name"), "Sort by name");

        // The texts handed out stay valid after the translator changes, and made from threads
        // at once they are the same texts.
        const char* const kept = rtl::Tr(source);
        std::vector<const char*> made(4);
        std::vector<std::thread> threads;
        for (size_t i = 0; i < made.size(); ++i)
            threads.emplace_back([&made, i, source] { made[i] = rtl::Tr(source); });
        for (std::thread& thread : threads)
            thread.join();
        for (const char* text : made)
            EXPECT_EQ(text, kept);
        rtl::SetTranslator(nullptr);
        EXPECT_EQ(std::string(kept), "ディスクイメージ %1$d (\"%2$s\") を書き込めません: %3$s。");
    }
    EXPECT_EQ(rtl::Tr(source), source);

    EXPECT_TRUE(rtl::SameConversions("%-8s %02X %%", "%s %X %% 完了"));
    EXPECT_FALSE(rtl::SameConversions("%s %d", "%1$s %1$s"));
    EXPECT_FALSE(rtl::SameConversions("%s %d", "%2$d"));
    EXPECT_FALSE(rtl::SameConversions("%s %d", "%1$s %d"));
    EXPECT_FALSE(rtl::SameConversions("%s", "%"));
}

// Lookups run on several threads while new texts arrive, more of them than a table has slots:
// every thread gets each text's own translation, and every text stays valid.
TEST(Texts, ManyTextsFromManyThreadsEachGetTheirOwnTranslation) {
    std::vector<std::string> sources;
    std::map<std::string, std::string> table;
    for (int i = 0; i < 5000; ++i) {
        sources.push_back("text " + std::to_string(i));
        table[sources.back()] = "訳 " + std::to_string(i);
    }
    TTranslatorScope translated(table);
    std::vector<std::vector<const char*>> made(4, std::vector<const char*>(sources.size()));
    std::vector<std::thread> threads;
    for (size_t t = 0; t < made.size(); ++t)
        threads.emplace_back([&, t] {
            // Each thread from another starting point, so that they meet on new texts.
            for (size_t k = 0; k < sources.size(); ++k) {
                const size_t i = (k + t * 1250) % sources.size();
                made[t][i] = rtl::Tr(sources[i].c_str());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    for (size_t i = 0; i < sources.size(); ++i) {
        ASSERT_EQ(std::string(made[0][i]), "訳 " + std::to_string(i));
        for (size_t t = 1; t < made.size(); ++t)
            ASSERT_EQ(made[t][i], made[0][i]) << i;
    }
    // A text passed at another address is the same text.
    const std::string copy = sources[4321];
    EXPECT_EQ(rtl::Tr(copy.c_str()), made[0][4321]);
}
