#include "PlaybackHost.h"
#include "PlayerProbe.h"

#include <QAudioOutput>
#include <QBuffer>
#include <QMediaPlayer>

QMediaPlayer* TPlaybackHost::NewMediaPlayer() {
    auto* player = new QMediaPlayer(this);
    player->setAudioOutput(new QAudioOutput(player));
    return player;
}

TPlaybackHost::~TPlaybackHost() {
    EndCurrent();
}

void TPlaybackHost::WarmUp() {
    if (current_ == nullptr)
        current_ = NewMediaPlayer();
}

void TPlaybackHost::RequestPlay(const QByteArray& recording, const QUrl& source) {
    Post({recording, source});
}

void TPlaybackHost::RequestStop() {
    Post({});
}

void TPlaybackHost::Post(TRequest request) {
    {
        const std::lock_guard lock(mutex_);
        pending_ = std::move(request);
    }
    QMetaObject::invokeMethod(
        this, [this] { Serve(); }, Qt::QueuedConnection);
}

void TPlaybackHost::Serve() {
    std::optional<TRequest> request;
    {
        const std::lock_guard lock(mutex_);
        request.swap(pending_);
    }
    if (!request)
        return; // served already by an earlier call
    EndCurrent();
    if (request->recording.isEmpty())
        return;
    // A fresh player for every recording, so that nothing of an earlier failure carries over.
    current_ = NewMediaPlayer();
    auto* device = new QBuffer(current_);
    device->setData(request->recording);
    device->open(QIODevice::ReadOnly);
    // Fed from memory, the backend gets its data through this thread's event loop, after
    // setSourceDevice has returned. Given a file name instead, its decoding thread starts at once
    // and now and then deadlocks against the seek issued before setSource returns (Qt 6.4,
    // GStreamer).
    current_->setSourceDevice(device, request->source);
    current_->play();
}

void TPlaybackHost::EndCurrent() {
    if (current_ == nullptr)
        return;
    // Taking the source away first tears the decoder down while the player still exists: left to
    // the destructor, the decoder's last pads can go after the player and call into freed memory
    // (Qt 6.4, GStreamer). A player that failed to load has no decoder pads, and taking its source
    // away would wait a second for a stop.
    const bool failed = current_->error() != QMediaPlayer::NoError ||
                        current_->mediaStatus() == QMediaPlayer::InvalidMedia;
    if (!failed)
        current_->setSource(QUrl());
    delete current_.data();
}

void TPlaybackHost::Fill(TPlaybackProbe& probe) const {
    probe.players = static_cast<int>(findChildren<QMediaPlayer*>().size());
    if (current_ == nullptr || current_->source().isEmpty())
        return;
    probe.current = true;
    probe.source = current_->source();
    probe.status = current_->mediaStatus();
    probe.error = current_->error();
    probe.position = current_->position();
    probe.duration = current_->duration();
}
