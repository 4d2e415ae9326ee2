#pragma once
#include <QWidget>

class QListWidget;
class QPushButton;

// Lists the tables that received an added identity column in the last batch.
class Form_Auto : public QWidget {
    Q_OBJECT
public:
    Form_Auto();

    QListWidget* List_Auto;
    QPushButton* Command1;  // "Drucken"
    QPushButton* Command2;  // "O.K."

    void Command1_Click();
    void Command2_Click();
};
