#include "features/CodeListStore.h"

#include "core/base/Failure.h"
#include "core/base/Maker.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoredCodeList.h"
#include "features/host/Host.h"
#include "features/host/Procedure.h"

#include <algorithm>
#include <optional>

namespace {

const QString StoreApplication = QLatin1String(Maker::CompanyName);
const QString StoreSection = QLatin1String(Maker::ProductName);
const QString StoreKey = QStringLiteral("UPC Codes");

// Bytes that are no UTF-8 (a list cut inside a character) came from no close:
// restored as read, with one report, and the close keeps them aside.
void refuseMalformed(const StoredCodeList::Utf8Split& split)
{
    if (split.malformed())
        throw Failure(QStringLiteral("The stored code list is not UTF-8 text"));
}

} // namespace

void CodeListStore::restore(Host& host, Procedure& p)
{
    const SettingsStore& settings = *host.services().settings;
    // A failing restoring step leaves its count up: the close keeps the file aside.
    auto restoring = [this](auto body) {
        return [this, body] {
            ++m_unrestoredSteps;
            body();
            --m_unrestoredSteps;
        };
    };
    // Read a window at a time: a failed read is the one report; the list keeps none of it.
    std::optional<SettingsStore::Reader> value;
    std::optional<StoredCodeList::Utf8Windows> text;
    ListModel& codes = host.codeList();
    const qsizetype before = codes.ItemCount();
    bool readFailed = false;
    const auto readWindow = [&] {
        bool read = false;
        p.step(142, restoring([&] {
                   readFailed = true;
                   if (!text) {
                       value = settings.open(StoreApplication, StoreSection, StoreKey);
                       if (value)
                           text.emplace([&value](char* to, qsizetype room) {
                               return value->read(to, room);
                           });
                   }
                   read = text && text->readWindow();
                   readFailed = false;
               }));
        return read;
    };
    bool more = readWindow();
    if (p.endsIf(144, [&] { return !more || text->bytesRead() == 0; }))
        return;
    bool reserved = false;
    // A part that cannot be cut or taken is the one report; codes before it stay.
    while (more) {
        bool cut = false;
        p.step(146, restoring([&] { cut = text->split().next(); }));
        if (!cut) {
            more = m_unrestoredSteps == 0 && readWindow();
            continue;
        }
        more = false;
        p.step(152, restoring([&] {
                   if (!reserved) {
                       const qsizetype size = std::max(value->size(), text->bytesRead());
                       codes.reserve(StoredCodeList::Utf8Split::mostPiecesIn(size), size);
                       reserved = true;
                   }
                   codes.appendMany(text->split().pieces());
                   more = true;
               }));
    }
    if (m_unrestoredSteps == 0)
        p.step(146, restoring([&] { refuseMalformed(text->split()); }));
    if (readFailed && before == 0)
        codes.Clear();
    else if (readFailed)
        while (codes.ItemCount() > before)
            codes.RemoveItem(codes.ItemCount());
    codes.publish();
}

void CodeListStore::store(Host& host)
{
    const SettingsStore& settings = *host.services().settings;
    if (m_unrestoredSteps > 0) {
        settings.keepAside(StoreApplication, StoreSection, StoreKey);
        m_unrestoredSteps = 0;
    }
    const ListModel& codes = host.codeList();
    settings.write(StoreApplication, StoreSection, StoreKey,
                   [&codes](const SettingsStore::ByteSink& write) {
                       StoredCodeList::writeUtf8(codes.items().texts(), write);
                   });
}
