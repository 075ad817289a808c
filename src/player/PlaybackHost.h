#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <mutex>
#include <optional>

class QMediaPlayer;
struct TPlaybackProbe;

// Owns the media players and lives on the player's own thread. The Request functions may be
// called from any thread; everything else runs on the player's thread.
class TPlaybackHost : public QObject {
public:
    ~TPlaybackHost() override;

    // Loads the media backend, so the first word is not delayed.
    void WarmUp();
    // Ends the current playback and starts the recording given whole in memory.
    void RequestPlay(const QByteArray& recording, const QUrl& source);
    // Ends the current playback.
    void RequestStop();
    void Fill(TPlaybackProbe& probe) const;

private:
    struct TRequest {
        QByteArray recording; // empty: stop only
        QUrl source;
    };

    void Post(TRequest request);
    void Serve();
    void EndCurrent();
    QMediaPlayer* NewMediaPlayer();

    // Only the newest request counts: when the backend holds this thread up, requests that came
    // meanwhile are dropped instead of piling up.
    std::mutex mutex_;
    std::optional<TRequest> pending_;
    QPointer<QMediaPlayer> current_;
};
