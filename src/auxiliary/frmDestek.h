#pragma once

#include <QObject>

// The support window: opens the maker's support site in the user's browser
// and goes at once. It has nothing to show, so it never appears on screen.
class frmDestek : public QObject {
    Q_OBJECT

public:
    explicit frmDestek(QObject* parent = nullptr);

    // Runs once the event loop is back, as an activation would, then the
    // object deletes itself.
    void Show();

private:
    void Form_Activate();
};
