#pragma once

// The designer files name the fonts of the original look; these map them to
// installed metric-compatible fonts and set the default font of every window.
void SetFontSubstitutions();
