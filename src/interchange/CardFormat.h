#pragma once

#include <QString>

// The formats contacts are written in.
enum class CardFormat { VCard30, VCard40, VCard21, CsvUtf8, CsvGb18030 };

namespace CardFormats {

inline bool isCsv(CardFormat format)
{
    return format == CardFormat::CsvUtf8 || format == CardFormat::CsvGb18030;
}

// The file-type entry of the save dialog.
inline QString fileFilter(CardFormat format)
{
    return isCsv(format) ? QStringLiteral("CSV文件(*.csv)") : QStringLiteral("vCard名片(*.vcf)");
}

} // namespace CardFormats
