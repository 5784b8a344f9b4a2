#pragma once

#include <QGroupBox>

class DriveComboBox;
class DirectoryListBox;
class QPushButton;

// The group "Destino de la Declaración" of the generating windows: a drive list tied to a folder
// list, and the button that goes back to the default folder (ddjj below the tables).
class DestinationGroup : public QGroupBox {
    Q_OBJECT
public:
    // defaultButtonName: the designer name of "Carpeta por Defecto" in the owning window.
    DestinationGroup(const char* defaultButtonName, QWidget* parent);

    DriveComboBox* DriveComboBox1;
    DirectoryListBox* DirectoryListBox1;
    QPushButton* defaultButton;

    QString destino() const;  // the chosen folder, as shown

    // Reads the tables' folder anew and shows the default folder; the store's error leaves the
    // lists as they were.
    void readAliasAndApplyDefault();
    // Shows the default folder below the tables' folder as last read.
    void applyDefault();

private:
    QString m_aliasFolder;
};
