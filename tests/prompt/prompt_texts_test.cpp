#include "prompt/dialog_layout.h"
#include "prompt/prompt_texts.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using Text = std::u16string;

// Expected texts written with escapes, so that a wrong source encoding or a
// look-alike character in the table shows up here.
struct Expected {
    Text message;
    Text downloadLabel;
    Text cancelLabel;
    std::string url;
};

const Expected kEnglish = {u"To use Tavora, you must install Java(64-bit).", u"Download Java...",
                           u"Cancel", "http://www.java.com/en/download/manual.jsp"};
const Expected kFrench = {u"Vous devez installer Java(64 bits) pour utiliser Tavora.",
                          u"T\u00e9l\u00e9charger Java\u2026", u"Annuler",
                          "http://www.java.com/fr/download/manual.jsp"};
const Expected kItalian = {u"Per utilizzare Tavora, \u00e8 necessario installare Java(64 bit).",
                           u"Scarica Java...", u"Annulla",
                           "http://www.java.com/it/download/manual.jsp"};
const Expected kGerman = {
    u"Damit Sie Tavora verwenden k\u00f6nnen, m\u00fcssen Sie Java(64-Bit) installieren.",
    u"Java herunterladen...", u"Abbrechen", "http://www.java.com/de/download/manual.jsp"};
const Expected kSpanish = {u"Para poder utilizar Tavora, debe instalar Java(64 bits).",
                           u"Descargar Java...", u"Cancelar",
                           "http://www.java.com/es/download/manual.jsp"};
const Expected kPortuguese = {u"Para utilizar o Tavora, voc\u00ea precisa instalar o Java(64 bits).",
                              u"Baixar Java...", u"Cancelar",
                              "http://www.java.com/pt_BR/download/manual.jsp"};
const Expected kJapanese = {
    u"Tavora\u3092\u4f7f\u7528\u3059\u308b\u306b\u306fJava(64\u30d3\u30c3\u30c8)\u3092\u30a4\u30f3"
    u"\u30b9\u30c8\u30fc\u30eb\u3059\u308b\u5fc5\u8981\u304c\u3042\u308a\u307e\u3059\u3002",
    u"Java\u3092\u30c0\u30a6\u30f3\u30ed\u30fc\u30c9...", u"\u30ad\u30e3\u30f3\u30bb\u30eb",
    "http://www.java.com/ja/download/manual.jsp"};
const Expected kChinese = {
    u"\u8981\u4f7f\u7528 Tavora\uff0c\u60a8\u5fc5\u987b\u5b89\u88c5 Java\uff0864 \u4f4d\uff09\u3002",
    u"\u4e0b\u8f7d Java...", u"\u53d6\u6d88", "http://www.java.com/zh_CN/download/manual.jsp"};
const Expected kDutch = {u"Om Tavora te gebruiken, moet u Java(64-bits) installeren.",
                         u"Download Java...", u"Annuleren",
                         "http://www.java.com/nl/download/manual.jsp"};

const PromptChar kTitle[] = PROMPT_TEXT("Tavora");

JavaPromptInfo select(const std::string& locale) {
    JavaPromptInfo info;
    info.title = kTitle;
    selectPromptTexts(locale, info);
    return info;
}

void expectTexts(const std::string& locale, const Expected& expected) {
    SCOPED_TRACE("locale [" + locale + "]");
    const JavaPromptInfo info = select(locale);
    ASSERT_NE(info.message, nullptr);
    EXPECT_EQ(Text(info.message), expected.message);
    EXPECT_EQ(Text(info.downloadLabel), expected.downloadLabel);
    EXPECT_EQ(Text(info.cancelLabel), expected.cancelLabel);
    EXPECT_EQ(info.downloadUrl, expected.url);
    EXPECT_EQ(info.title, kTitle);
    EXPECT_EQ(info.owner, nullptr);
    EXPECT_EQ(info.instance, nullptr);
}

TEST(SelectPromptTexts, EveryKeySelectsItsLanguage) {
    const struct {
        const char* key;
        const Expected& expected;
    } cases[] = {
        {"english", kEnglish},    {"en", kEnglish},       {"french", kFrench},
        {"fr", kFrench},          {"italian", kItalian},  {"it", kItalian},
        {"german", kGerman},      {"de", kGerman},        {"spanish", kSpanish},
        {"es", kSpanish},         {"portuguese", kPortuguese}, {"pt_br", kPortuguese},
        {"pt", kPortuguese},      {"japanese", kJapanese}, {"ja", kJapanese},
        {"chinese", kChinese},    {"zh_cn", kChinese},    {"zh", kChinese},
        {"dutch", kDutch},        {"nl", kDutch},
    };
    for (const auto& c : cases) {
        expectTexts(c.key, c.expected);
    }
}

TEST(SelectPromptTexts, ComparesInLowerCase) {
    expectTexts("EN", kEnglish);
    expectTexts("English", kEnglish);
    expectTexts("ENGLISH", kEnglish);
    expectTexts("FR", kFrench);
    expectTexts("Pt_Br", kPortuguese);
    expectTexts("PT", kPortuguese);
    expectTexts("ZH_CN", kChinese);
    expectTexts("Zh", kChinese);
    expectTexts("NL", kDutch);
}

TEST(SelectPromptTexts, AnythingElseIsEnglish) {
    for (const char* locale :
         {"", "en_US", "fr_FR", "fr-FR", "de_DE", "pt-br", "pt_PT", "zh_tw", "zh-cn", "ja_JP", "fr ",
          " fr", "f", "frenchy", "\xc3\x89S", "d\xc9", "de\r"}) {
        expectTexts(locale, kEnglish);
    }
}

TEST(SelectPromptTexts, ASecondCallReplacesTheUrl) {
    JavaPromptInfo info;
    info.title = kTitle;
    selectPromptTexts("de", info);
    selectPromptTexts("ja", info);
    EXPECT_EQ(info.downloadUrl, kJapanese.url);
    EXPECT_EQ(info.title, kTitle);
    EXPECT_EQ(Text(info.message), kJapanese.message);
}

TEST(SelectPromptTexts, LeavesTheCallersLocaleAlone) {
    const std::string locale = "DE";
    JavaPromptInfo info;
    selectPromptTexts(locale, info);
    EXPECT_EQ(locale, "DE");
    EXPECT_EQ(Text(info.message), kGerman.message);
}

// In a client of 440x120, too low from 144 DPI on; labels of 60x16 and 90x16
// in the default font and of the widths and height given in the button's.
TEST(LayOutPrompt, ScalesThe96DpiAmountsFitsTheLargerMeasureAndGrows) {
    const struct {
        int dpi, cancelWidth, downloadWidth, height;
        PromptLayout expected; // message, cancel, download, growth
    } cases[] = {
        {96, 50, 80, 11, {{10, 20, 420, 40}, {360, 84, 70, 26}, {255, 84, 100, 26}, 0}},
        {0, 50, 80, 11, {{10, 20, 420, 40}, {360, 84, 70, 26}, {255, 84, 100, 26}, 0}},
        {144, 50, 100, 20, {{15, 30, 410, 60}, {350, 90, 75, 35}, {227, 90, 115, 35}, 20}},
        {192, 70, 130, 24, {{20, 40, 400, 80}, {330, 120, 90, 44}, {170, 120, 150, 44}, 64}},
    };
    for (const auto& c : cases) {
        const PromptLayout layout =
            layOutPrompt(c.dpi, {440, 120}, {{60, 16}, {c.cancelWidth, c.height}},
                         {{90, 16}, {c.downloadWidth, c.height}});
        EXPECT_EQ(std::memcmp(&layout, &c.expected, sizeof layout), 0) << c.dpi << " DPI";
    }
    // Font heights, negative and from the system's DPI.
    EXPECT_EQ(scaleToDpi(-22, 144, 192), -17);
    EXPECT_EQ(scaleToDpi(-11, 144, 0), -11);
}

} // namespace
