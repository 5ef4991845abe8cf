#pragma once

// Texts shared by several windows: the main frame's caption is
// "<document title> - <application title>", message boxes carry the
// application title, the About box names the document title.
inline constexpr char DocumentTitle[] = "Borea Utility Software";
inline constexpr char AppTitle[] = "Tundrix Utility Software";
