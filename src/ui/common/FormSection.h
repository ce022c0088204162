#pragma once

#include <QList>
#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

// One section of a grouped form, as the inspector lays them out: an optional header, the rows
// on a rounded panel with hairlines between them, and an optional footer.
class FormSection : public QWidget
{
    Q_OBJECT

public:
    explicit FormSection(const QString &header = {}, QWidget *parent = nullptr);

    QString header() const { return m_header; }

    void addRow(QWidget *row);
    // A row with a label on the left and `field` on the right.
    void addRow(const QString &label, QWidget *field);
    // A row that is one plain button, in the link colour or, for destructive commands, red.
    QPushButton *addButtonRow(const QString &text, bool destructive = false);
    void setFooter(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_header;
    QWidget *m_panel = nullptr;
    QVBoxLayout *m_rows = nullptr;
    QLabel *m_footer = nullptr;
    // The labels of labelled rows, kept one width so that their fields line up.
    QList<QLabel *> m_labels;
};
