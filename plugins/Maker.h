#pragma once

// The maker's addresses shown and opened by the plug-in page and the About
// plug-in dialog. The domain is one reserved for examples, so nothing real is
// ever reached from a test or a demonstration.
namespace maker {

inline constexpr char webSite[] = "https://www.example.com/";
inline constexpr char pluginPage[] = "https://www.example.com/orvanta-light/plugins/";
inline constexpr char supportMail[] = "support@example.com";
inline constexpr char authorMail[] = "author@example.com";
inline constexpr char notice[] = "Orvanta Light and its plug-ins are made by Nuvek.";

} // namespace maker
