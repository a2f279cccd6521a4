#pragma once

// Inside the LibreOffice plugin: reaching the office, and LibreOffice's
// failures as ours.

#include "output/spreadsheet/SpreadsheetPlugin.h"
#include "shell/Failure.h"

#include <QString>
#include <com/sun/star/uno/Exception.hpp>
#include <com/sun/star/uno/Reference.hxx>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <cppuhelper/bootstrap.hxx>
#include <rtl/ustring.hxx>

namespace Calc {

inline QString toQString(const rtl::OUString& text)
{
    return QString(reinterpret_cast<const QChar*>(text.getStr()), text.getLength());
}

inline rtl::OUString toOUString(const QString& text)
{
    return rtl::OUString(reinterpret_cast<const sal_Unicode*>(text.utf16()),
                         sal_Int32(text.size()));
}

// The description of the UNO exception being handled: its message, or its
// type's name when it has none.
QString describeCaughtException(const com::sun::star::uno::Exception& e);

// Runs a call into the office; whatever LibreOffice throws comes out as a
// Failure with LibreOffice's own description.
template <typename Call> auto calling(Call&& call) -> decltype(call())
{
    try {
        return call();
    } catch (const com::sun::star::uno::Exception& e) {
        throw Failure(describeCaughtException(e));
    } catch (const cppu::BootstrapException& e) {
        throw Failure(toQString(e.getMessage()));
    }
}

// The component context of the office, which is started or joined as the
// connection says. Throws Failure when the office cannot be reached in time.
com::sun::star::uno::Reference<com::sun::star::uno::XComponentContext>
connectToOffice(const CalcConnection& connection);

} // namespace Calc
