#include "features/CodeListStore.h"

#include "core/base/Maker.h"
#include "core/files/SettingsStore.h"
#include "core/files/StoredCodeList.h"
#include "features/host/Host.h"
#include "features/host/Procedure.h"

#include <optional>

namespace {

const QString StoreApplication = QLatin1String(Maker::CompanyName);
const QString StoreSection = QLatin1String(Maker::ProductName);
const QString StoreKey = QStringLiteral("UPC Codes");

} // namespace

void CodeListStore::restore(Host& host, Procedure& p)
{
    const SettingsStore& settings = *host.services().settings;
    // A restoring step that fails leaves its count up, and the close then
    // keeps the stored file aside rather than replace it with a list that
    // lacks what could not be restored.
    auto restoring = [this](auto body) {
        return [this, body] {
            ++m_unrestoredSteps;
            body();
            --m_unrestoredSteps;
        };
    };
    QByteArray stored;
    p.step(
        142, restoring([&] {
            stored =
                settings.readUtf8(StoreApplication, StoreSection, StoreKey).value_or(QByteArray());
        }));
    if (p.endsIf(144, [&] { return stored.isEmpty(); }))
        return;
    ListModel& codes = host.codeList();
    std::optional<StoredCodeList::Utf8Split> pieces;
    p.step(146, restoring([&] { pieces.emplace(stored); }));
    bool reserved = false;
    // A part that cannot be cut, or whose codes cannot be taken (no memory
    // left for them), ends the restoring there with its one report; the codes
    // taken before it stay.
    for (bool more = pieces.has_value(); more;) {
        more = false;
        p.step(146, restoring([&] { more = pieces->next(); }));
        if (!more)
            break;
        more = false;
        p.step(152, restoring([&] {
                   if (!reserved) {
                       codes.reserve(pieces->mostPieces(), pieces->mostCharacters());
                       reserved = true;
                   }
                   codes.appendMany(pieces->pieces());
                   more = true;
               }));
    }
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
