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
    const auto button = [&](const PromptLabel& label, int right) {
        const int width = std::max(label.inDefaultFont.width, label.inButtonFont.width) + margin;
        const int height = std::max(label.inDefaultFont.height, label.inButtonFont.height) + margin;
        return PromptBox{right - width, client.height - margin - height, width, height};
    };
    PromptLayout layout;
    layout.message = {margin, 2 * margin, client.width - 2 * margin, 4 * margin};
    layout.cancel = button(cancel, client.width - margin);
    layout.download = button(download, layout.cancel.x - gap);
    return layout;
}
