#pragma once
#include <QWidget>

class QListWidget;
class QPushButton;

// Lists the tables that received an added identity column in the last batch.
class Form_Auto : public QWidget {
    Q_OBJECT
public:
    Form_Auto();

    // Empties the list for a new batch.
    void Clear();
    // Appends a table that received an identity column.
    void Add(const QString& table);
    // Puts the number of listed tables ("n Tabellen") above them, at the end of a batch.
    void insertCountLine();

    void Command1_Click();
    void Command2_Click();

private:
    QListWidget* List_Auto;
    QPushButton* Command1;  // "Drucken"
    QPushButton* Command2;  // "O.K."
};
