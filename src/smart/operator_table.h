#pragma once

#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

#include "smart/operator_logo.h"

// The built-in table of networks behind the logo page's provider list, and the country names
// that label its items. A logo is stored by the receiving handset only under its own network
// code, so the user picks the network by name and the logo carries its MCC and MNC.
namespace pelmar {

struct OperatorRecord {
    QString OperatorName;  // all but three names end in one blank, as the list always showed them
    QString Mcc;           // three digits
    QString Mnc;           // two digits
};

struct CountryRecord {
    QString CountryName;
    QString Mcc;  // three digits
};

struct OperatorTables {
    QList<OperatorRecord> Operators;  // list order: item i of the provider list is row i
    QList<CountryRecord> Countries;   // in the order they were added; the first match counts
};

inline constexpr int kOperatorCount = 242;
inline constexpr int kCountryCount = 116;

// The locale whose collation orders the list: the user's, except that the C/POSIX locale
// (no language at all) falls back to English so that the list is never in plain code order.
QLocale operatorSortLocale();

// Both tables from the built-in rows, the operators sorted by SortOperators.
OperatorTables FillOperatorTables(const QLocale& locale = operatorSortLocale());

// Orders by OperatorName with the locale's case-sensitive collation; rows with equal names keep
// their order. The C locale given explicitly means code-point order.
void SortOperators(QList<OperatorRecord>& operators, const QLocale& locale = operatorSortLocale());

// CountryName of the first row whose Mcc equals `mcc` exactly; empty when there is none.
QString FindCountry(const QList<CountryRecord>& countries, QStringView mcc);

// "Cosmote    [Greece]": the name, three blanks, the country in brackets; the name alone when
// no country has the network's MCC.
QString OperatorItemText(const OperatorRecord& network, const QList<CountryRecord>& countries);

// Every item text of the provider list, in list order.
QStringList OperatorItems(const OperatorTables& tables);

// The network a logo for this row is sent under.
NetworkCode networkCodeOf(const OperatorRecord& network);

// "202 01": the network code as text, the form ParseNetworkCode reads.
QString networkCodeText(const OperatorRecord& network);

// The tables of this run, filled on first use for operatorSortLocale(); nothing changes them.
const OperatorTables& operatorTables();

// On the tables of this run.
QString FindCountry(QStringView mcc);
QStringList OperatorItems();

// The network of provider-list item `index`; nothing when no item has that index (no
// selection), so the logo page can refuse instead of sending under an undefined network.
std::optional<NetworkCode> networkCodeAt(qsizetype index);

}  // namespace pelmar
