#pragma once

// Qt's own texts (message-box buttons, the colour dialog) in Chinese, whatever the system
// locale: the program's own texts are all Chinese. Returns how many catalogues were found;
// without Debian's qt6-translations-l10n they stay English.
int InstallQtTranslations();
