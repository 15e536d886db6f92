#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

// How a second start reaches the program already running on the same
// program folder: the first one listens on a local socket named after the
// folder, the second asks it to show its window and ends.
class InstanceChannel : public QObject {
    Q_OBJECT

public:
    // Listens for the folder's later starts. Only the holder of the folder's
    // lock may do this.
    explicit InstanceChannel(const QString& programFolder, QObject* parent = nullptr);
    ~InstanceChannel() override;

    // The socket's name: the same for every spelling of one folder (links,
    // "..", a trailing separator), short enough for any socket path.
    static QString serverName(const QString& programFolder);
    // Asks the program running on the folder to show its window. False when
    // nobody answers (a parlex-cli run holds the lock, say).
    static bool askToShow(const QString& programFolder);

signals:
    void showRequested();

private:
    void readRequest(QLocalSocket* socket);

    QLocalServer* m_server;
};
