#include "MainWindowOnJack.h"

#include "app/OstrelMenuBarModel.h"

namespace tessel::test
{
namespace
{
using Menus = MainWindowOnJack;

juce::StringArray itemTexts(const juce::PopupMenu& menu)
{
    juce::StringArray texts;
    for (juce::PopupMenu::MenuItemIterator items(menu); items.next();)
    {
        const auto& item = items.getItem();
        EXPECT_FALSE(item.isSeparator);
        EXPECT_NE(item.commandManager, nullptr) << "every item is a command item";
        texts.add(item.text);
    }
    return texts;
}

juce::StringArray utf8(std::initializer_list<const char*> texts)
{
    juce::StringArray result;
    for (const char* text : texts)
        result.add(juce::String::fromUTF8(text));
    return result;
}
} // namespace

TEST_F(Menus, MenusHoldTheirCommandsInEitherLanguage)
{
    const struct
    {
        const char* language;
        juce::StringArray names, application, tools, help;
    } cases[] = {
        {"en",
         {"Tavilo", "Tool", "Help"},
         {"About Tavilo...", "Check Update..."},
         {"Soft Reset", "Hard Reset", "Start Audio Logging", "Open Log Folder..."},
         {"User Guide", "About Ostrel", "End User License Agreement", "Privacy Policy",
          "Guidelines for using Characters", "Acknowledgements..."}},
        {"ja",
         utf8({"Tavilo", "ツール", "ヘルプ"}),
         utf8({"Tavilo について...", "アップデートを確認..."}),
         utf8({"ソフトリセット", "ハードリセット", "オーディオのロギング開始", "ログフォルダを開く..."}),
         utf8({"ユーザーガイド", "Ostrel について", "使用許諾契約書", "プライバシーポリシー",
               "キャラクター利用ガイドライン", "謝辞..."})},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.language);
        openWindow(c.language);
        auto& model = *component().getMenuBarModel();
        const auto names = model.getMenuBarNames();
        EXPECT_EQ(names, c.names);
        EXPECT_EQ(itemTexts(model.getMenuForIndex(0, names[0])), c.application);
        EXPECT_EQ(itemTexts(model.getMenuForIndex(1, names[1])), c.tools);
        EXPECT_EQ(itemTexts(model.getMenuForIndex(2, names[2])), c.help);
        EXPECT_EQ(itemTexts(model.getMenuForIndex(0, "Elsewhere")), juce::StringArray());

        // The bar in the window shows the same model.
        EXPECT_EQ(component().getMenuBar().getModel(), &model);
        EXPECT_TRUE(component().getMenuBar().isShowing());
        closeWindow();
        TearDown();
    }
}
} // namespace tessel::test
