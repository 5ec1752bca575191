#include "dialog_layout.h"

#include <algorithm>

int scaleToDpi(int pixels, int dpi, int fromDpi) {
    if (fromDpi <= 0) {
        return pixels;
    }
    const long long scaled = static_cast<long long>(pixels) * dpi;
    const long long half = (scaled < 0 ? -fromDpi : fromDpi) / 2;
    return static_cast<int>((scaled + half) / fromDpi);
}

PromptLayout layOutPrompt(int dpi, PromptSize client, PromptLabel cancel, PromptLabel download) {
    if (dpi <= 0) {
        dpi = 96;
    }
    // One margin, 10 pixels at 96 DPI, lies between the parts and the
    // client's edges and around each label; the message starts two margins
    // from the top and is four high, and 5 pixels part the buttons. At 96
    // these are the amounts the dialog always had.
    const int margin = scaleToDpi(10, dpi);
    const int gap = scaleToDpi(5, dpi);
    const int cancelWidth =
        std::max(cancel.inDefaultFont.width, cancel.inButtonFont.width) + margin;
    const int downloadWidth =
        std::max(download.inDefaultFont.width, download.inButtonFont.width) + margin;
    // Both buttons of one height, the taller label's.
    const int height = std::max({cancel.inDefaultFont.height, cancel.inButtonFont.height,
                                 download.inDefaultFont.height, download.inButtonFont.height}) +
                       margin;
    // The template's font sizes the client, and a bitmap font such as its
    // "MS Sans Serif" grows by less than the DPI: the client then grows
    // until the buttons stand below the message's area, as they do at 96.
    const int messageBottom = 6 * margin;
    const int bottom = std::max(client.height, messageBottom + height + margin);
    PromptLayout layout;
    layout.message = {margin, 2 * margin, client.width - 2 * margin, messageBottom - 2 * margin};
    layout.cancel = {client.width - margin - cancelWidth, bottom - margin - height, cancelWidth,
                     height};
    layout.download = {layout.cancel.x - gap - downloadWidth, layout.cancel.y, downloadWidth,
                       height};
    layout.growth = bottom - client.height;
    return layout;
}
