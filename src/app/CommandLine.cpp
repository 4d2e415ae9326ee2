#include "app/CommandLine.h"
#include "runtime/Strings.h"

namespace {
const QString kSeparator = QStringLiteral(" -");
const QChar kQuote = u'"';
}  // namespace

QString unquoteAndTrim(const QString& value)
{
    QString s = value;
    if (s.size() >= 2 && s.startsWith(kQuote) && s.endsWith(kQuote))
        s = s.mid(1, s.size() - 2);
    return rt::trim(s);
}

QStringList commandLinePieces(const QString& text)
{
    QStringList pieces = text.split(kSeparator, Qt::KeepEmptyParts, Qt::CaseSensitive);
    QStringList result;
    result.reserve(pieces.size());
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        QString piece = pieces[i];
        // A quoted value cut at a " -" inside it: join it with the next piece, which still keeps its
        // own turn in the loop.
        if (piece.contains(QStringLiteral(":\"")) && !piece.endsWith(kQuote) && i + 1 < pieces.size()) {
            const QString& next = pieces[i + 1];
            if (next.endsWith(kQuote) && !next.startsWith(kQuote))
                piece = piece + kSeparator + next;
        }
        result << piece;
    }
    return result;
}

CommandLineValues parseCommandLine(const QString& text)
{
    CommandLineValues v;
    if (text.isEmpty())
        return v;
    if (text.contains(QStringLiteral(" -auto"), Qt::CaseSensitive))
        v.AutoLauf = true;
    if (text.contains(QStringLiteral("-noerror"), Qt::CaseSensitive))
        v.OhneFehlermeldung = true;
    for (const QString& piece : commandLinePieces(text)) {
        const qsizetype colon = piece.indexOf(u':');
        if (colon < 0) {
            // The switches without a value besides -auto and -noerror.
            QString name = rt::trim(piece);
            if (name.startsWith(u'-'))
                name.remove(0, 1);
            if (name == QLatin1String("linux"))
                v.linuxSwitch = true;
            else if (name == QLatin1String("schnell"))
                v.fastTransfer = true;
            continue;  // no key
        }
        QString key = piece.left(colon + 1);
        if (!key.startsWith(u'-'))
            key.prepend(u'-');
        const QString value = piece.mid(colon + 1);
        if (key == QLatin1String("-ODBC:")) {
            v.ParamODBC = value;
            v.odbcBox = unquoteAndTrim(value);
        } else if (key == QLatin1String("-user:")) {
            v.ParamBenutzer = value;
            v.userBox = unquoteAndTrim(value);
        } else if (key == QLatin1String("-pass:")) {
            v.ParamPasswort = value;
            v.passwordBox = unquoteAndTrim(value);
        } else if (key == QLatin1String("-MDBpfad:")) {
            v.ParamMDBPfad = unquoteAndTrim(value);
        } else if (key == QLatin1String("-XDBpfad:")) {
            v.ParamXDBPfad = unquoteAndTrim(value);
        } else if (key == QLatin1String("-servertyp:")) {
            v.serverType = unquoteAndTrim(value);
        } else if (key == QLatin1String("-bericht:")) {
            v.reportPath = unquoteAndTrim(value);
        }
    }
    return v;
}

std::optional<ServerKind> serverKindFromSwitch(const QString& value)
{
    static const struct {
        const char* name;
        ServerKind kind;
    } kNames[] = {{"MSSQL", ServerKind::MSSQL},
                  {"MySQL", ServerKind::MySQL},
                  {"Oracle", ServerKind::Oracle},
                  {"Sybase", ServerKind::Sybase},
                  {"DB2", ServerKind::DB2}};
    for (const auto& n : kNames)
        if (value.compare(QLatin1String(n.name), Qt::CaseInsensitive) == 0)
            return n.kind;
    return std::nullopt;
}

QString commandLineProblem(const CommandLineValues& v)
{
    if (v.serverType && !serverKindFromSwitch(*v.serverType))
        return QStringLiteral("Unbekannter Servertyp '%1' (-servertyp:). Erlaubt sind MSSQL, MySQL, Oracle, "
                              "Sybase und DB2.")
            .arg(*v.serverType);
    if (v.reportPath && v.reportPath->isEmpty())
        return QStringLiteral("Der Schalter -bericht: braucht einen Dateinamen, z. B. -bericht:/tmp/bericht.json.");
    return QString();
}

QString joinArguments(const QStringList& arguments)
{
    QStringList parts;
    parts.reserve(arguments.size());
    for (const QString& a : arguments) {
        if (!a.contains(u' ') || a.contains(kQuote)) {
            parts << a;
            continue;
        }
        const qsizetype colon = a.indexOf(u':');
        if (a.startsWith(u'-') && colon > 0)
            parts << a.left(colon + 1) + kQuote + a.mid(colon + 1) + kQuote;
        else
            parts << kQuote + a + kQuote;
    }
    return parts.join(u' ');
}
