#pragma once

#include "cli/Block.h"
#include "cli/Output.h"
#include "core/list/ItemStore.h"

#include <QString>
#include <memory>
#include <vector>

namespace Checker {

// One of the two lists of codes, when it is written: plain, one code per
// line as the codes come, or padded as the window's text export, held until
// the end since its width depends on every code.
class ListOutput
{
public:
    // Nothing is written until it is opened.
    void open(std::unique_ptr<Output> output, const char* header, bool plain);

    // A block's share: its plain list, or its codes for the padded table.
    void add(const Bytes& plain, const HeldCodes& held);

    // Writes what is still held (the padded table) and flushes.
    void finish();
    void commit();

private:
    std::unique_ptr<Output> m_output;
    QString m_header;
    bool m_plain = false;
    ItemStore m_items;                // the padded list: the store the window's lists use
    std::vector<QStringView> m_views; // reused
};

} // namespace Checker
