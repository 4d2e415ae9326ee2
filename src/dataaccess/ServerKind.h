#pragma once
#include <QString>

// The five SQL server kinds the system writes statements for.
enum class ServerKind { MSSQL, MySQL, Oracle, Sybase, DB2 };

inline QString serverKindName(ServerKind k)
{
    switch (k) {
    case ServerKind::MSSQL: return QStringLiteral("Microsoft SQL");
    case ServerKind::MySQL: return QStringLiteral("MySQL");
    case ServerKind::Oracle: return QStringLiteral("Oracle");
    case ServerKind::Sybase: return QStringLiteral("Sybase");
    case ServerKind::DB2: return QStringLiteral("DB2");
    }
    return {};
}

inline constexpr ServerKind kAllServerKinds[] = {ServerKind::MSSQL, ServerKind::MySQL, ServerKind::Oracle,
                                                 ServerKind::Sybase, ServerKind::DB2};
