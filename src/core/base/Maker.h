#pragma once

// The product and its maker.
namespace Maker {
inline const char* const ProductName = "Quorvane";
inline const char* const CompanyName = "Tarnwell";
inline const char* const HomePage = "https://tarnwell.example/";
inline const char* const ContactPage = "https://tarnwell.example/contact/";
inline const char* const SupportAddress = "support@tarnwell.example";
// What --version shows after the name and version, as GNU tools show it: the
// copyright and the licence, as packaging/copyright words it.
inline const char* const VersionNotice = R"(Copyright (C) 2026 Tarnwell
License: proprietary. All rights reserved.
This is not free software: no part of it may be copied, changed or passed on
without Tarnwell's written permission.
)";
} // namespace Maker
