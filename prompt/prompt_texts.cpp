#include "prompt_texts.h"

#include <string_view>

namespace {

struct PromptLanguage {
    const char* keys[3]; // lower-case, tried in order; unused slots are null
    const PromptChar* message;
    const PromptChar* downloadLabel;
    const PromptChar* cancelLabel;
    const char* downloadUrl;
};

#define DOWNLOAD_SITE "http://www.java.com"

// English comes first: it is also what every unknown locale gets.
const PromptLanguage kLanguages[] = {
    {{"english", "en"},
     PROMPT_TEXT("To use Tavora, you must install Java(64-bit)."),
     PROMPT_TEXT("Download Java..."),
     PROMPT_TEXT("Cancel"),
     DOWNLOAD_SITE "/en/download/manual.jsp"},
    {{"french", "fr"},
     PROMPT_TEXT("Vous devez installer Java(64 bits) pour utiliser Tavora."),
     PROMPT_TEXT("Télécharger Java…"),
     PROMPT_TEXT("Annuler"),
     DOWNLOAD_SITE "/fr/download/manual.jsp"},
    {{"italian", "it"},
     PROMPT_TEXT("Per utilizzare Tavora, è necessario installare Java(64 bit)."),
     PROMPT_TEXT("Scarica Java..."),
     PROMPT_TEXT("Annulla"),
     DOWNLOAD_SITE "/it/download/manual.jsp"},
    {{"german", "de"},
     PROMPT_TEXT("Damit Sie Tavora verwenden können, müssen Sie Java(64-Bit) installieren."),
     PROMPT_TEXT("Java herunterladen..."),
     PROMPT_TEXT("Abbrechen"),
     DOWNLOAD_SITE "/de/download/manual.jsp"},
    {{"spanish", "es"},
     PROMPT_TEXT("Para poder utilizar Tavora, debe instalar Java(64 bits)."),
     PROMPT_TEXT("Descargar Java..."),
     PROMPT_TEXT("Cancelar"),
     DOWNLOAD_SITE "/es/download/manual.jsp"},
    {{"portuguese", "pt_br", "pt"},
     PROMPT_TEXT("Para utilizar o Tavora, você precisa instalar o Java(64 bits)."),
     PROMPT_TEXT("Baixar Java..."),
     PROMPT_TEXT("Cancelar"),
     DOWNLOAD_SITE "/pt_BR/download/manual.jsp"},
    {{"japanese", "ja"},
     PROMPT_TEXT("Tavoraを使用するにはJava(64ビット)をインストールする必要があります。"),
     PROMPT_TEXT("Javaをダウンロード..."),
     PROMPT_TEXT("キャンセル"),
     DOWNLOAD_SITE "/ja/download/manual.jsp"},
    {{"chinese", "zh_cn", "zh"},
     PROMPT_TEXT("要使用 Tavora，您必须安装 Java（64 位）。"),
     PROMPT_TEXT("下载 Java..."),
     PROMPT_TEXT("取消"),
     DOWNLOAD_SITE "/zh_CN/download/manual.jsp"},
    {{"dutch", "nl"},
     PROMPT_TEXT("Om Tavora te gebruiken, moet u Java(64-bits) installeren."),
     PROMPT_TEXT("Download Java..."),
     PROMPT_TEXT("Annuleren"),
     DOWNLOAD_SITE "/nl/download/manual.jsp"},
};

const PromptLanguage& findLanguage(std::string_view lowered) {
    for (const PromptLanguage& language : kLanguages) {
        for (const char* key : language.keys) {
            if (key != nullptr && lowered == key) {
                return language;
            }
        }
    }
    return kLanguages[0];
}

} // namespace

const char* selectPromptTexts(std::string locale, JavaPromptInfo& info) {
    // Lowers ASCII only, as tolower does in the "C" locale, whatever locale
    // the process may run under.
    for (char& c : locale) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    const PromptLanguage& language = findLanguage(locale);
    info.message = language.message;
    info.downloadLabel = language.downloadLabel;
    info.cancelLabel = language.cancelLabel;
    info.downloadUrl = language.downloadUrl;
    return language.keys[0];
}
