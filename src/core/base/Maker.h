#pragma once

// The product and its maker.
namespace Maker {
inline const char* const ProductName = "Quorvane";
inline const char* const CompanyName = "Tarnwell";
inline const char* const HomePage = "https://tarnwell.example/";
inline const char* const ContactPage = "https://tarnwell.example/contact/";
inline const char* const SupportAddress = "support@tarnwell.example";
} // namespace Maker
