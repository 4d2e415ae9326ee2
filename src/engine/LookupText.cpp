#include "engine/LookupText.h"

namespace engine {

QString constraintUseCountQuery(const QString& constraintName)
{
    return QStringLiteral("SELECT COUNT(CONSTRAINT_NAME) FROM INFORMATION_SCHEMA.CONSTRAINT_COLUMN_USAGE "
                          "WHERE CONSTRAINT_NAME = '") +
           constraintName + u'\'';
}

QString newIdHexQuery() { return QStringLiteral("SELECT REPLACE(CONVERT(VARCHAR(36), NEWID()), '-', '')"); }

}  // namespace engine
