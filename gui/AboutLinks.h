#pragma once

namespace Ui {
class widget_winkwell;
}

// The addresses behind the about page's buttons and links, in one place. The project has no
// such pages yet: an empty address hides its button or link rather than point nowhere.
namespace AboutLinks {
inline constexpr const char* makerSite = "";
inline constexpr const char* partnerSite = "";
inline constexpr const char* socialMediaPage = "";
inline constexpr const char* helpPage = "";
inline constexpr const char* privacyPolicyPage = "";
inline constexpr const char* mgdPage = "";

// Shows the links that have an address and hides the others; run again after a language change.
void apply(Ui::widget_winkwell& ui);
// Opens an address in the desktop's browser; false (and logged) when it has none.
bool open(const char* address);
} // namespace AboutLinks
