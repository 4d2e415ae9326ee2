#include "derived/TriggerBuilding.h"

#include <gtest/gtest.h>

namespace {

accessdb::Relation relation(const QString& name, const QString& table, const QString& foreign, qint32 attributes,
                            QList<accessdb::RelationField> fields)
{
    accessdb::Relation r;
    r.name = name;
    r.table = table;
    r.foreignTable = foreign;
    r.attributes = attributes;
    r.fields = std::move(fields);
    return r;
}

const qint32 kUpdate = accessdb::kRelationCascadeUpdate, kDelete = accessdb::kRelationCascadeDelete;

TEST(Triggers, ThreeFieldPairsAndSybaseLeavesNamesUnquoted)
{
    QList<TriggerTable> tables;
    collectRelation(tables, relation("r", "Kopf", "Pos", kUpdate | kDelete, {{"a", "pa"}, {"b", "pb"}, {"c", "pc"}}),
                    TextOptions{ServerKind::Sybase});
    const TriggerTable& t = tables[0];
    EXPECT_EQ(t.updateStatements[0],
              "\r\nUPDATE Pos SET Pos.pa=INSERTED.a,Pos.pb=INSERTED.b,Pos.pc=INSERTED.c FROM INSERTED,DELETED WHERE "
              "Pos.pa=DELETED.a AND Pos.pb=DELETED.b AND Pos.pc=DELETED.c");
    EXPECT_EQ(t.deleteStatements[0],
              "\r\nDELETE FROM Pos FROM DELETED WHERE Pos.pa=DELETED.a AND Pos.pb=DELETED.b AND Pos.pc=DELETED.c");
    EXPECT_TRUE(t.updateTrigger(TextOptions{ServerKind::Sybase})
                    .contains("\r\nIF UPDATE(a) OR UPDATE(b) OR UPDATE(c)\r\nBEGIN"));
}

TEST(Triggers, TableNamesInDifferentCaseShareOnePairOfTriggers)
{
    QList<TriggerTable> tables;
    collectRelation(tables, relation("r1", "Artikel", "Preis", kUpdate, {{"Nr", "ArtNr"}}),
                    TextOptions{ServerKind::Oracle});
    collectRelation(tables, relation("r2", "ARTIKEL", "Lager", kDelete, {{"NR", "ArtikelNr"}, {"Variante", "Var"}}),
                    TextOptions{ServerKind::Oracle});
    collectRelation(tables, relation("r3", "artikel", "Bild", 0, {{"Bild", "Nr"}}), TextOptions{ServerKind::Oracle});
    ASSERT_EQ(tables.size(), 1);
    const TriggerTable& t = tables[0];
    EXPECT_EQ(t.table, "Artikel");  // the first spelling names the triggers
    EXPECT_EQ(t.conditionFields, (QStringList{"Nr", "Variante", "Bild"}));
    EXPECT_EQ(t.updateStatements.size(), 1);
    EXPECT_EQ(t.deleteStatements.size(), 1);
    EXPECT_TRUE(t.updateTrigger(TextOptions{ServerKind::Oracle})
                    .startsWith("CREATE TRIGGER uArtikel ON Artikel FOR UPDATE AS\r\nIF UPDATE(\"Nr\") OR "
                                "UPDATE(\"Variante\") OR UPDATE(\"Bild\")\r\nBEGIN\r\nUPDATE Preis SET"));
}

TEST(Triggers, SeveralCascadingRelationshipsFollowEachOtherInTheTrigger)
{
    QList<TriggerTable> tables;
    collectRelation(tables, relation("r1", "K", "A", kUpdate, {{"Nr", "KNr"}}), TextOptions{ServerKind::DB2});
    collectRelation(tables, relation("r2", "K", "B", kUpdate, {{"Nr", "KNr"}}), TextOptions{ServerKind::DB2});
    const QString trigger = tables[0].updateTrigger(TextOptions{ServerKind::DB2});
    const qsizetype a = trigger.indexOf("\r\nUPDATE A SET");
    const qsizetype b = trigger.indexOf("\r\nUPDATE B SET");
    EXPECT_GT(a, 0);
    EXPECT_GT(b, a);
    EXPECT_TRUE(trigger.endsWith("=DELETED.\"Nr\"\r\nEND"));
    EXPECT_TRUE(trigger.contains("IF UPDATE(\"Nr\")\r\nBEGIN"));  // one condition for the shared field
}

}  // namespace
