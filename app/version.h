// The launcher's version, for its version resource and its trace. Kept to
// preprocessor lines: the resource compiler reads this file too.
#pragma once

#define PELLIX_VERSION 2, 0, 0, 0
#define PELLIX_VERSION_TEXT "2.0.0.0"
