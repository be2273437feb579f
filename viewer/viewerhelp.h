// The viewer's own lines of the F1 help, after the sample's.
#pragma once

// The ground's line says what the next G press does; without a ground there
// is no such line.
const char* ViewerHelp(bool hasGround, bool groundShown);
