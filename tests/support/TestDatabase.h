#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

class TAdoChannel;

// A program folder in a temporary directory with a fresh Tavelo.mdb holding the schema,
// and short-hands to arrange and inspect rows with plain SQL.
class TTestDatabase {
public:
    TTestDatabase();
    ~TTestDatabase();

    QString Dir() const { return dir_.path(); }
    QString Path() const;

    // The channel the code under test uses.
    TAdoChannel& Channel() { return *channel_; }
    // Arranging and checking rows through the same connection (writes there never wait
    // for a result set the code under test left open); checks use a named query of their
    // own, so slot 1 stays as the code under test left it.
    void Exec(const QString& sql);
    QVariant Scalar(const QString& sql);
    int Count(const QString& sqlFromWhere);

    void AddUser(int id, const QString& name, int isPower = 0);
    // The start values of the settings for user 1 (and copies for learners).
    void AddStartSettings(int userID);
    // A book with words whose ids are firstWordID... and names prefix + number.
    void AddBook(int bookID, const QString& desc, int words, int firstWordID,
                 const QString& prefix = QStringLiteral("w"));
    void Subscribe(int userID, int bookID, int sequence);
    void SetSetting(int userID, int sequence, int value);

private:
    QTemporaryDir dir_;
    std::unique_ptr<TAdoChannel> channel_;
};
