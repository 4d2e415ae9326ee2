#include "Sample.h"

#include "MdbWriter.h"
#include "XdbLines.h"

#include <QDir>
#include <QFile>

namespace mdbw {

namespace {

using namespace xdb;

// A small deterministic generator, so the sample is the same on every build.
class Dice {
public:
    int roll(int n)
    {
        state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
        return int((state_ >> 33) % quint64(n));
    }
    template <typename T>
    const T& pick(const QList<T>& list)
    {
        return list[roll(int(list.size()))];
    }

private:
    quint64 state_ = 20040307;
};

Index index(const QString& name, const QStringList& fields, bool primary = false, bool unique = false)
{
    Index i;
    i.name = name;
    i.fields = fields;
    i.primary = primary;
    i.unique = unique;
    return i;
}

const QList<QString> kNachnamen{
    "Müller",   "Schmidt",    "Schneider", "Fischer",  "Weber",    "Meyer", "Wagner",  "Becker",   "Schulz",
    "Hoffmann", "Schäfer",    "Koch",      "Bauer",    "Richter",  "Klein", "Wolf",    "Schröder", "Neumann",
    "Schwarz",  "Zimmermann", "Braun",     "Krüger",   "Hartmann", "Lange", "Köhler",  "König",    "Jäger",
    "Groß",     "Weiß",       "O'Neill",   "D'Angelo", "Dürr",     "Böhm",  "Löffler", "Strauß",   "Gärtner"};
const QList<QString> kVornamen{"Jürgen",      "Günter", "Käthe",    "Jörg",  "Björn", "Anna",
                               "Maria",       "Peter",  "Klaus",    "Sören", "Renée", "Zoë",
                               "Hans-Jürgen", "Uwe",    "Brigitte", "Ülkü",  "Søren", "Grete"};
struct Ort {
    QString plz, name, land;
};
const QList<Ort> kOrte{{"80331", "München", "Deutschland"},    {"50667", "Köln", "Deutschland"},
                       {"40213", "Düsseldorf", "Deutschland"}, {"90402", "Nürnberg", "Deutschland"},
                       {"97070", "Würzburg", "Deutschland"},   {"23552", "Lübeck", "Deutschland"},
                       {"37073", "Göttingen", "Deutschland"},  {"66111", "Saarbrücken", "Deutschland"},
                       {"49074", "Osnabrück", "Deutschland"},  {"90762", "Fürth", "Deutschland"},
                       {"10115", "Berlin", "Deutschland"},     {"20095", "Hamburg", "Deutschland"},
                       {"1010", "Wien", "Österreich"},         {"8001", "Zürich", "Schweiz"}};
const QList<QString> kStrassen{"Hauptstraße",  "Bahnhofstraße", "Schloßallee",  "Goethestraße",
                               "Am Mühlbach",  "Königsweg",     "Lindenstraße", "Bürgermeister-Schmid-Str.",
                               "Kärntner Ring"};
const QList<QString> kArtikel{"Schraube M4 verzinkt",
                              "Mutter M4",
                              "Unterlegscheibe 4,3 mm",
                              "Dübel 6 mm",
                              "Winkel 40×40",
                              "Scharnier \"Komfort\"",
                              "Türgriff Edelstahl",
                              "Kabelbinder 200 mm",
                              "Klebeband 50 m",
                              "Gummidichtung Ø 20",
                              "Holzleim 500 g",
                              "Schleifpapier K120",
                              "Bohrer 8 mm HSS",
                              "Säge 'Profi'",
                              "Maßband 5 m",
                              "Wasserwaage 60 cm",
                              "Arbeitshandschuhe Gr. 10",
                              "Schutzbrille",
                              "Gehörschutz",
                              "Leiter 3-teilig"};

QString longRemark()
{
    QString s = QStringLiteral("Ausführliche Vereinbarung mit dem Kunden: ");
    while (s.size() < 3000)
        s += QStringLiteral("Lieferung frei Haus, Zahlung binnen 30 Tagen, Skonto 2 %; Rückfragen an Frau Müller "
                            "(Durchwahl -12). Sonderwünsche werden \"schriftlich\" bestätigt, Änderungen bitte "
                            "rechtzeitig mitteilen. ");
    return s;
}

void addAdressen(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("AdressenStamm"));
    t.addField(field("AdrNr", type::Long, 0, true));
    t.addField(field("Anrede", type::Text, 20, false, "\"Herr\""));
    t.addField(field("Name", type::Text, 50, true));
    t.addField(field("Vorname", type::Text, 50));
    t.addField(field("Strasse", type::Text, 60));
    t.addField(field("PLZ", type::Text, 10));
    t.addField(field("Ort", type::Text, 40, false, "\"München\""));
    t.addField(field("Land", type::Text, 30, false, "\"Deutschland\""));
    t.addField(field("Telefon", type::Text, 30));
    t.addField(field("Geburtstag", type::DateTime));
    t.addField(field("Aktiv", type::Boolean, 0, false, "Yes"));
    t.addField(field("Bemerkung", type::Memo));
    t.addIndex(index("PrimaryKey", {"AdrNr"}, true, true));
    t.addIndex(index("Name", {"Name", "Vorname"}));
    t.addIndex(index("PLZ", {"PLZ"}));
    for (int i = 1; i <= 120; ++i) {
        const Ort& ort = dice.pick(kOrte);
        const bool frau = dice.roll(2) == 0;
        QVariant vorname = i % 17 == 0 ? QVariant() : QVariant(dice.pick(kVornamen));
        QVariant telefon =
            i % 5 == 0 ? QVariant()
                       : QVariant(QStringLiteral("0%1/%2").arg(100 + dice.roll(800)).arg(100000 + dice.roll(900000)));
        QVariant geburtstag =
            i % 7 == 0 ? QVariant() : QVariant(QDate(1940 + dice.roll(60), 1 + dice.roll(12), 1 + dice.roll(28)));
        QVariant bemerkung;
        if (i == 3)
            bemerkung = longRemark();
        else if (i % 9 == 0)
            bemerkung = QStringLiteral("Kunde sagt: \"Bitte nur vormittags anrufen\" – Frau O'Neill weiß Bescheid.");
        else if (i % 11 == 0)
            bemerkung = QString("");
        t.addRow({i, frau ? "Frau" : "Herr", dice.pick(kNachnamen), vorname,
                  QStringLiteral("%1 %2").arg(dice.pick(kStrassen)).arg(1 + dice.roll(120)), ort.plz, ort.name,
                  ort.land, telefon, geburtstag, i % 13 != 0, bemerkung});
    }
}

void addKunden(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("Kunden"));
    t.addField(field("KundenNr", type::Long, 0, true));
    t.addField(field("AdrNr", type::Long, 0, true));
    t.addField(field("Rabatt", type::Single, 0, false, "0"));
    t.addField(field("Zahlungsziel", type::Integer, 0, false, "30"));
    t.addField(field("Kreditlimit", type::Double, 0, false, "5000"));
    t.addField(field("Gesperrt", type::Boolean, 0, false, "No"));
    t.addField(field("KundeSeit", type::DateTime, 0, false, "=Date()"));
    t.addIndex(index("PrimaryKey", {"KundenNr"}, true, true));
    t.addIndex(index("AdrNr", {"AdrNr"}, false, true));
    for (int i = 1; i <= 80; ++i) {
        t.addRow({10000 + i, i, i % 4 == 0 ? QVariant(double(dice.roll(6)) / 2.0) : QVariant(0.0),
                  i % 6 == 0 ? QVariant() : QVariant(QList<int>{14, 30, 60}[dice.roll(3)]),
                  1000.0 * (1 + dice.roll(20)), i % 15 == 0,
                  QDate(1995 + dice.roll(10), 1 + dice.roll(12), 1 + dice.roll(28))});
    }
}

void addArtikel(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("Artikel"));
    t.addField(field("ArtikelNr", type::Text, 20, true));
    t.addField(field("Bezeichnung", type::Text, 80, true));
    t.addField(field("Einheit", type::Text, 10, false, "\"Stück\""));
    t.addField(field("Preis", type::Double, 0, false, "0"));
    t.addField(field("MwSt", type::Byte, 0, false, "19"));
    t.addField(field("Lagerbestand", type::Long, 0, false, "0"));
    t.addField(field("Aktiv", type::Boolean, 0, false, "Yes"));
    t.addField(field("Beschreibung", type::Memo));
    t.addIndex(index("PrimaryKey", {"ArtikelNr"}, true, true));
    t.addIndex(index("Bezeichnung", {"Bezeichnung"}));
    for (int i = 0; i < kArtikel.size() * 3; ++i) {
        const QString& name = kArtikel[i % kArtikel.size()];
        const QString variante = i < kArtikel.size()       ? QString()
                                 : i < 2 * kArtikel.size() ? QStringLiteral(" (10er)")
                                                           : QStringLiteral(" (100er)");
        t.addRow({QStringLiteral("A-%1").arg(1000 + i), name + variante,
                  i % 7 == 0 ? QStringLiteral("Pck.") : QStringLiteral("Stück"), double(dice.roll(20000)) / 100.0,
                  i % 10 == 0 ? 7 : 19, dice.roll(500), i % 12 != 0,
                  i % 4 == 0 ? QVariant(QStringLiteral("Qualität: geprüft; Größe lt. Zeichnung")) : QVariant()});
    }
}

void addAuftraege(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("Auftraege"));
    Field nr = field("AuftragNr", type::Long, 0, true);
    nr.autoNumber = true;
    t.addField(nr);
    t.addField(field("KundenNr", type::Long, 0, true));
    t.addField(field("Datum", type::DateTime, 0, false, "=Date()"));
    t.addField(field("Status", type::Text, 20, false, "\"offen\""));
    t.addField(field("Bemerkung", type::Memo));
    t.addField(field("Erledigt", type::Boolean, 0, false, "No"));
    t.addIndex(index("PrimaryKey", {"AuftragNr"}, true, true));
    t.addIndex(index("KundenNr", {"KundenNr"}));
    const QList<QString> status{"offen", "in Arbeit", "geliefert", "berechnet"};
    for (int i = 1; i <= 150; ++i) {
        const QString st = dice.pick(status);
        t.addRow(
            {i, 10001 + dice.roll(80),
             QDateTime(QDate(2003, 1, 1).addDays(dice.roll(700)), QTime(8 + dice.roll(10), dice.roll(60), 0), Qt::UTC),
             st, i % 8 == 0 ? QVariant(QStringLiteral("Lieferung an Filiale „Süd“, Tor 3")) : QVariant(),
             st == QLatin1String("berechnet")});
    }
}

void addPositionen(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("Auftragspositionen"));
    t.addField(field("AuftragNr", type::Long, 0, true));
    t.addField(field("PosNr", type::Integer, 0, true));
    t.addField(field("ArtikelNr", type::Text, 20, true));
    t.addField(field("Menge", type::Double, 0, false, "1"));
    t.addField(field("Einzelpreis", type::Double));
    t.addField(field("Rabatt", type::Single, 0, false, "0"));
    t.addIndex(index("PrimaryKey", {"AuftragNr", "PosNr"}, true, true));
    t.addIndex(index("ArtikelNr", {"ArtikelNr"}));
    int rows = 0;
    for (int a = 1; a <= 150 && rows < 400; ++a) {
        const int n = 1 + dice.roll(5);
        for (int p = 1; p <= n; ++p, ++rows)
            t.addRow({a, p, QStringLiteral("A-%1").arg(1000 + dice.roll(60)), double(1 + dice.roll(50)),
                      double(dice.roll(20000)) / 100.0, p % 3 == 0 ? QVariant(0.05) : QVariant(0.0)});
    }
}

void addTermine(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("Terminkalender"));
    t.addField(field("TerminNr", type::Long, 0, true));
    t.addField(field("datum", type::DateTime));
    t.addField(field("zeit", type::DateTime));
    t.addField(field("zeit1", type::DateTime));
    t.addField(field("Betreff", type::Text, 100));
    t.addField(field("AdrNr", type::Long));
    t.addField(field("Erinnerung", type::Boolean, 0, false, "No"));
    t.addIndex(index("PrimaryKey", {"TerminNr"}, true, true));
    const QList<QString> betreff{"Besprechung Angebot", "Rückruf wegen Lieferung",          "Inventur",
                                 "Messe in Köln",       "Jahresgespräch \"Rahmenvertrag\"", "Schulung Kassensystem",
                                 "Übergabe Schlüssel"};
    for (int i = 1; i <= 50; ++i) {
        const QTime from(8 + dice.roll(9), 15 * dice.roll(4), 0);
        t.addRow({i, QDate(2004, 1, 5).addDays(dice.roll(300)), from,
                  i % 6 == 0 ? QVariant() : QVariant(from.addSecs(3600 * (1 + dice.roll(3)))), dice.pick(betreff),
                  i % 4 == 0 ? QVariant() : QVariant(1 + dice.roll(120)), i % 3 == 0});
    }
}

void addProtokoll(Database& db, Dice& dice)
{
    // No key and no unique index: rows may repeat.
    Table& t = db.addTable(QStringLiteral("Formularprotokoll"));
    t.addField(field("Formular", type::Text, 50));
    t.addField(field("Benutzer", type::Text, 30));
    t.addField(field("datum", type::DateTime));
    t.addField(field("uhrzeit", type::DateTime));
    t.addField(field("Aktion", type::Text, 50));
    const QList<QString> forms{"Kundenstamm", "Artikelpflege", "Auftragserfassung", "Terminübersicht"};
    const QList<QString> users{"jürgen", "käthe", "admin", "o'neill"};
    const QList<QString> actions{"geöffnet", "gespeichert", "gelöscht", "gedruckt"};
    for (int i = 1; i <= 40; ++i) {
        const QVariant form = dice.pick(forms);
        t.addRow({form, dice.pick(users), QDate(2004, 3, 1).addDays(dice.roll(10)),
                  QTime(7 + dice.roll(12), dice.roll(60), dice.roll(60)),
                  i % 10 == 0 ? QVariant() : QVariant(dice.pick(actions))});
    }
    t.addRow({"Kundenstamm", "admin", QDate(2004, 3, 7), QTime(10, 0, 0), "geöffnet"});
    t.addRow({"Kundenstamm", "admin", QDate(2004, 3, 7), QTime(10, 0, 0), "geöffnet"});
}

void addLaender(Database& db)
{
    // The only unique index is not the primary key.
    Table& t = db.addTable(QStringLiteral("Laender"));
    t.addField(field("Kuerzel", type::Text, 3, true));
    t.addField(field("Name", type::Text, 50));
    t.addField(field("Vorwahl", type::Text, 6));
    t.addIndex(index("Kuerzel", {"Kuerzel"}, false, true));
    const QList<QStringList> rows{
        {"D", "Deutschland", "+49"},     {"A", "Österreich", "+43"},   {"CH", "Schweiz", "+41"},
        {"F", "Frankreich", "+33"},      {"I", "Italien", "+39"},      {"NL", "Niederlande", "+31"},
        {"B", "Belgien", "+32"},         {"L", "Luxemburg", "+352"},   {"DK", "Dänemark", "+45"},
        {"PL", "Polen", "+48"},          {"CZ", "Tschechien", "+420"}, {"IRL", "Irland", "+353"},
        {"GB", "Großbritannien", "+44"}, {"E", "Spanien", "+34"},      {"FL", "Liechtenstein", ""}};
    for (const QStringList& r : rows)
        t.addRow({r[0], r[1], r[2].isEmpty() ? QVariant() : QVariant(r[2])});
}

void addKassenbuch(Database& db, Dice& dice)
{
    Table& t = db.addTable(QStringLiteral("Kassenbuch"));
    t.addField(field("BuchungNr", type::Long, 0, true));
    t.addField(field("Datum", type::DateTime));
    t.addField(field("Betrag", type::Currency, 0, false, "0"));
    t.addField(field("Buchungstext", type::Text, 80));
    t.addIndex(index("PrimaryKey", {"BuchungNr"}, true, true));
    for (int i = 1; i <= 20; ++i)
        t.addRow({i, QDate(2004, 2, 1).addDays(i),
                  QStringLiteral("%1.%2").arg(dice.roll(2000) - 500).arg(dice.roll(100), 2, 10, QLatin1Char('0')),
                  i % 5 == 0 ? QStringLiteral("Porto") : QStringLiteral("Barverkauf Beleg %1").arg(i)});
}

void addDokumente(Database& db)
{
    Table& t = db.addTable(QStringLiteral("Dokumente"));
    t.addField(field("DokNr", type::Long, 0, true));
    t.addField(field("Titel", type::Text, 80));
    t.addField(field("Kennung", type::Guid));
    t.addField(field("Inhalt", type::LongBinary));
    t.addIndex(index("PrimaryKey", {"DokNr"}, true, true));
    QByteArray big(9000, 0);
    for (int i = 0; i < big.size(); ++i)
        big[i] = char((i * 7) & 0xff);
    t.addRow({1, "Briefkopf", "{3f2504e0-4f89-11d3-9a0c-0305e82c3301}", big});
    t.addRow({2, "Leeres Dokument", QVariant(), QByteArray()});
    t.addRow({3, "Logo klein", "{6ba7b810-9dad-11d1-80b4-00c04fd430c8}",
              QByteArray::fromHex("89504e470d0a1a0a0000000d49484452")});
}

void addEinstellungen(Database& db)
{
    Table& t = db.addTable(QStringLiteral("Einstellungen"));
    t.setFlags(kHidden);
    t.addField(field("Schluessel", type::Text, 50, true));
    t.addField(field("Wert", type::Text, 255));
    t.addIndex(index("PrimaryKey", {"Schluessel"}, true, true));
    t.addRow({"Version", "1.2.11"});
    t.addRow({"Mandant", "Zabrix Musterfirma GmbH & Co. KG"});
    t.addRow({"Druckpfad", "\\\\server\\druck\\formulare"});
}

void addRelations(Database& db)
{
    auto rel = [&db](const QString& name, const QString& table, const QString& foreign, qint32 attributes,
                     const QList<RelationField>& fields) {
        db.addRelation(Relation{name, table, foreign, attributes, fields});
    };
    rel("AdressenStammKunden", "AdressenStamm", "Kunden", kRelationUnique | kRelationCascadeUpdate,
        {{"AdrNr", "AdrNr"}});
    rel("KundenAuftraege", "Kunden", "Auftraege", kRelationCascadeUpdate, {{"KundenNr", "KundenNr"}});
    rel("AuftraegeAuftragspositionen", "Auftraege", "Auftragspositionen", kRelationCascadeDelete,
        {{"AuftragNr", "AuftragNr"}});
    rel("ArtikelAuftragspositionen", "Artikel", "Auftragspositionen", kRelationCascadeUpdate | kRelationCascadeDelete,
        {{"ArtikelNr", "ArtikelNr"}});
    rel("AdressenStammTerminkalender", "AdressenStamm", "Terminkalender", kRelationNotEnforced, {{"AdrNr", "AdrNr"}});
}

void addQueries(Database& db)
{
    {
        SelectParts p;
        p.distinctRow = true;
        p.columns = {{"Kunden.KundenNr", {}},
                     {"AdressenStamm.Name", {}},
                     {"AdressenStamm.Vorname", {}},
                     {"AdressenStamm.Ort", {}}};
        p.tables = {{"AdressenStamm", {}}, {"Kunden", {}}};
        p.joins = {{"AdressenStamm", "Kunden", "AdressenStamm.AdrNr = Kunden.AdrNr", 1}};
        p.orderBy = {{"AdressenStamm.Name", false}, {"AdressenStamm.Vorname", false}};
        db.addSelectQuery("Kundenliste", p);
    }
    {
        SelectParts p;
        p.columns = {{"[AdressenStamm].[Name]", {}}, {"[AdressenStamm].[Vorname]", {}}, {"[AdressenStamm].[PLZ]", {}}};
        p.tables = {{"AdressenStamm", {}}};
        p.where = "(([AdressenStamm].[Ort])=\"München\")";
        db.addSelectQuery("KundenMuenchen", p);
    }
    {
        SelectParts p;
        p.columns = {{"Left([Bezeichnung],3)", "'Kurz'"}, {"Right([ArtikelNr],2)", "'Endung'"}, {"Artikel.Preis", {}}};
        p.tables = {{"Artikel", {}}};
        p.where = "((Artikel.Einheit)=\"Stück\")";
        db.addSelectQuery("ArtikelKurz", p);
    }
    {
        SelectParts p;
        p.columns = {{"Year([Datum])", "Jahr"}, {"Month([Datum])", "Monat"}, {"Count(Auftraege.AuftragNr)", "Anzahl"}};
        p.tables = {{"Auftraege", {}}};
        p.groupBy = {"Year([Datum])", "Month([Datum])"};
        p.orderBy = {{"Year([Datum])", false}, {"Month([Datum])", false}};
        db.addSelectQuery("AuftraegeJeMonat", p);
    }
    {
        SelectParts p;
        p.columns = {{"Auftraege.KundenNr", {}}, {"First(Auftraege.Datum)", "ErstesDatum"}};
        p.tables = {{"Auftraege", {}}};
        p.groupBy = {"Auftraege.KundenNr"};
        db.addSelectQuery("ErsterAuftrag", p);
    }
    {
        SelectParts p;
        p.distinctRow = true;
        p.columns = {{"Auftragspositionen.AuftragNr", {}}, {"Sum([Menge]*[Einzelpreis])", "Summe"}};
        p.tables = {{"Auftragspositionen", {}}};
        p.groupBy = {"Auftragspositionen.AuftragNr"};
        p.having = "((Sum([Menge]*[Einzelpreis]))>100)";
        p.orderBy = {{"Sum([Menge]*[Einzelpreis])", true}};
        db.addSelectQuery("Auftragssummen", p);
    }
    {
        SelectParts p;
        p.columns = {
            {"Auftraege.AuftragNr", {}}, {"Auftraege.Datum", {}}, {"Kunden.KundenNr", {}}, {"Kunden.Kreditlimit", {}}};
        p.tables = {{"Kunden", {}}, {"Auftraege", {}}};
        p.joins = {{"Kunden", "Auftraege", "Kunden.KundenNr = Auftraege.KundenNr", 2}};
        p.where = "((Auftraege.Status)=\"offen\")";
        db.addSelectQuery("OffeneAuftraege", p);
    }
    {
        SelectParts p;
        p.top = 10;
        p.columns = {{"Artikel.ArtikelNr", {}}, {"Artikel.Bezeichnung", {}}, {"Artikel.Preis", {}}};
        p.tables = {{"Artikel", {}}};
        p.orderBy = {{"Artikel.Preis", true}};
        db.addSelectQuery("TeuersteArtikel", p);
    }
    {
        SelectParts p;
        p.parameters = {{"Ab Datum", 8}};
        p.allFields = true;
        p.tables = {{"Auftraege", {}}};
        p.where = "((Auftraege.Datum)>=[Ab Datum])";
        db.addSelectQuery("AuftraegeAbDatum", p);
    }
}

// The release document's sections; the field renamings and indexes are carried out only by
// Microsoft SQL Server and Sybase.
QStringList fieldSections()
{
    QStringList l;
    l << "[felder]" << key22("tabelle", "AdressenStamm") << newField("Mobiltelefon", 10, 30)
      << newField("EMail", 10, 80) << newField("Werbesperre", 3, 0) << key22("tabelle", "Kunden")
      << newField("Bonitaet", 3, 0) << newField("Kundengruppe", 10, 20) << key22("tabelle", "Lieferanten")
      << newField("Skonto", 7, 0) << oldHeader("Artikel") << oldField("Gewicht", 7, 0, "0")
      << oldField("Lieferant", 10, 50, "\"\"") << oldField("Herkunftsland", 10, 30, "\"Deutschland\"")
      << oldField("Lagerplatz", 4, 0, "");
    return l;
}

QStringList renameFieldSection()
{
    QStringList l;
    l << "[renamefield]" << key24("tabelle", "Kunden") << renamed("feld", "Zahlungsziel", "ZahlungszielTage")
      << key24("tabelle", "AdressenStamm") << renamed("feld", "Telefon", "Telefon1");
    return l;
}

QStringList renameTableSection()
{
    return {QStringLiteral("[renametable]"), renamed("tabelle", "Kassenbuch", "Kasse")};
}

QStringList indexSections()
{
    QStringList l;
    l << "[Indizes]" << key22("tabelle", "Auftraege") << key22("name", "IX_Auftraege_Datum") << key22("attribute", "0")
      << key22("felderanzahl", "1") << key22("feld", "Datum") << "[Indizes]" << key22("tabelle", "Auftragspositionen")
      << key22("name", "IX_Positionen_Artikel") << key22("attribute", "0") << key22("felderanzahl", "2")
      << key22("feld", "ArtikelNr") << key22("feld", "AuftragNr") << "[Indizes]" << key22("tabelle", "Laender")
      << key22("name", "IX_Laender_Name") << key22("attribute", "2") << key22("felderanzahl", "1")
      << key22("feld", "Name");
    return l;
}

QStringList querySections()
{
    QStringList l;
    l << "[querys]" << key22("name", "View_Kundenorte")
      << key22("sql", "SELECT AdressenStamm.Ort, Count(AdressenStamm.AdrNr) AS Anzahl FROM AdressenStamm "
                      "GROUP BY AdressenStamm.Ort")
      << key22("name", "View_ArtikelStueck")
      << key22("SQL", "SELECT [Artikel].[ArtikelNr], [Artikel].[Bezeichnung] FROM [Artikel] "
                      "WHERE [Artikel].[Einheit]=\"Stück\"")
      << key22("name", "View_OffeneAuftraege")
      << key22("SQL", "SELECT DISTINCTROW [Auftraege].[AuftragNr], [Auftraege].[KundenNr] FROM [Auftraege] "
                      "WHERE [Auftraege].[Erledigt]=0");
    return l;
}

QString document(const QString& heading, const QStringList& sections)
{
    return (QStringList{heading} + sections).join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}
}  // namespace

QString sampleXdbText()
{
    return document(QStringLiteral("; ZAB.XDB - Strukturänderungen für ZABRIX 1.2.12"),
                    fieldSections() + renameFieldSection() + renameTableSection() + indexSections() + querySections());
}

QString demoXdbText()
{
    return document(
        QStringLiteral("; ZAB_DEMO.XDB - Strukturänderungen für ZABRIX 1.2.12 ohne Umbenennungen und Indizes"),
        fieldSections() + renameTableSection() + querySections());
}

namespace {
void writeXdb(const QString& path, const QString& xdb)
{
    // Windows-1252: every character of the document is in Latin-1 outside the C1 range, where
    // both code pages agree.
    for (QChar c : xdb)
        if (c.unicode() > 0xff || (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            throw Error(QStringLiteral("%1: character U+%2 is not written here")
                            .arg(path)
                            .arg(c.unicode(), 4, 16, QLatin1Char('0')));
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(xdb.toLatin1()) < 0)
        throw Error(QStringLiteral("cannot write %1").arg(out.fileName()));
}
}  // namespace

void writeSample(const QString& dir)
{
    Database db;
    Dice dice;
    addAdressen(db, dice);
    addKunden(db, dice);
    addArtikel(db, dice);
    addAuftraege(db, dice);
    addPositionen(db, dice);
    addTermine(db, dice);
    addProtokoll(db, dice);
    addLaender(db);
    addKassenbuch(db, dice);
    addDokumente(db);
    addEinstellungen(db);
    addRelations(db);
    addQueries(db);
    db.write(QDir(dir).filePath(QStringLiteral("ZABRIX.MDB")));

    writeXdb(QDir(dir).filePath(QStringLiteral("ZAB.XDB")), sampleXdbText());
    writeXdb(QDir(dir).filePath(QStringLiteral("ZAB_DEMO.XDB")), demoXdbText());
}

}  // namespace mdbw
