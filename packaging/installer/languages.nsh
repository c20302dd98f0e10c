; The setup and the uninstaller speak Japanese when the user's display
; language (GetUserDefaultUILanguage) is Japanese and English otherwise. NSIS
; makes that choice itself at start, before .onInit and un.onInit: it takes
; the display language's table, else one of the same primary language, else
; the first one loaded, so English comes first. The choice holds for every
; text, message boxes in .onInit and silent runs included. NSIS's own page
; texts come from its language files; ours are in texts.nsh.

LoadLanguageFile "${NSISDIR}\Contrib\Language files\English.nlf"
LoadLanguageFile "${NSISDIR}\Contrib\Language files\Japanese.nlf"
