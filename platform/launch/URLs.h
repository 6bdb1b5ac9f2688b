// SPDX-License-Identifier: GPL-3.0-or-later
// URL objects made from text, and loading a URL's resource data.
#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <optional>

// A URL from its text when the text has the generic URI syntax (RFC 2396):
// ASCII only, no space, none of < > " { } | \ ^ `, every "%" followed by two
// hex digits, at most one "#". Relative references count. Empty text and
// anything else give nothing.
std::optional<QUrl> URLWithString(const QString& text);

// The resource's bytes, fetched synchronously without any cache: the caller
// waits until the transfer has ended. Nothing when the transfer failed (no
// server, a name that does not resolve, an HTTP error status, a scheme that
// cannot be loaded), when it stalled for kURLLoadStallSeconds or when the
// resource is larger than kURLLoadMaxBytes. Needs a QCoreApplication.
inline constexpr int kURLLoadStallSeconds = 60;
inline constexpr qint64 kURLLoadMaxBytes = qint64(256) << 20;
std::optional<QByteArray> URLResourceData(const QUrl& url);
