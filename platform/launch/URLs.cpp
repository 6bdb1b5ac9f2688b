// SPDX-License-Identifier: GPL-3.0-or-later
// URL text checking and synchronous, uncached loading over Qt Network.
#include "platform/launch/URLs.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>

namespace
{

bool isHexDigit(char16_t c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The characters RFC 2396 allows in a URI reference: unreserved, reserved,
// "%" escapes and the fragment's "#"; "[" and "]" for IPv6 hosts (RFC 2732).
bool isURICharacter(char16_t c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return QStringView(u"-_.!~*'();/?:@&=+$,[]").contains(QChar(c));
}

} // namespace

std::optional<QUrl> URLWithString(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    bool fragmentSeen = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c == '%') {
            if (i + 2 >= text.size() || !isHexDigit(text.at(i + 1).unicode()) ||
                !isHexDigit(text.at(i + 2).unicode()))
                return std::nullopt;
            i += 2;
        } else if (c == '#') {
            if (fragmentSeen)
                return std::nullopt;
            fragmentSeen = true;
        } else if (!isURICharacter(c)) {
            return std::nullopt;
        }
    }
    QUrl url(text, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

std::optional<QByteArray> URLResourceData(const QUrl& url)
{
    if (!url.isValid() || url.isRelative() || !QCoreApplication::instance())
        return std::nullopt;
    QNetworkAccessManager manager;
    manager.setCache(nullptr);
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
    request.setTransferTimeout(kURLLoadStallSeconds * 1000);

    QPointer<QNetworkReply> reply = manager.get(request);
    bool tooLarge = false;
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply,
                     [&tooLarge, reply](qint64 received, qint64) {
                         if (received > kURLLoadMaxBytes) {
                             tooLarge = true;
                             reply->abort();
                         }
                     });
    // The caller waits for the data; input meant for its windows waits too.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    std::optional<QByteArray> data;
    if (!tooLarge && reply->error() == QNetworkReply::NoError)
        data = reply->readAll();
    delete reply;
    return data;
}
