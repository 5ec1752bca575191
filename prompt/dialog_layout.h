// Where the missing-Java dialog's parts lie, in client pixels, at the DPI it
// is shown at: the layout of 96 DPI, every amount of it scaled.
#pragma once

struct PromptSize {
    int width;
    int height;
};

struct PromptBox {
    int x;
    int y;
    int width;
    int height;
};

// A label measured twice: in the device context's default font, which sized
// the buttons at 96 DPI and keeps doing so wherever it is the larger, and in
// the font the button draws the label with, which outgrows it at high DPI.
struct PromptLabel {
    PromptSize inDefaultFont;
    PromptSize inButtonFont;
};

struct PromptLayout {
    PromptBox message;
    PromptBox cancel;
    PromptBox download;
    int growth; // what the client's height must grow by, 0 where it has room
};

// Pixels meant for fromDpi, at dpi, rounded to the nearest with halves away
// from zero, as MulDiv rounds. A fromDpi that Windows could not tell (0)
// leaves them as they are.
int scaleToDpi(int pixels, int dpi, int fromDpi = 96);

// The message in a band across the top; the two buttons in the bottom right
// corner, cancel rightmost, each its label's size plus a margin, below the
// message's area: the client grows where it is too low for that. A dpi that
// Windows could not tell (0) counts as 96.
PromptLayout layOutPrompt(int dpi, PromptSize client, PromptLabel cancel, PromptLabel download);
