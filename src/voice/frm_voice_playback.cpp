// Playback sequencing and the conversion into the playback file.
//
// PLACEHOLDER: minimal bodies until the playback sequencing lands here; they keep the
// window usable (nothing plays) and must all be replaced.

#include "voice/frm_voice.h"

namespace voice {

void TFrmVoice::StartPlayback() {}
void TFrmVoice::ShowPlayPosition(std::int32_t, std::int32_t) {}
void TFrmVoice::Timer1Timer() {}
void TFrmVoice::TrackBar1Change() {}
void TFrmVoice::MediaPlayer1Notify() {}
void TFrmVoice::MediaPlayer1Click(TMPBtnType, bool& doDefault) {
    doDefault = true;
}
void TFrmVoice::MediaPlayer1PostClick(TMPBtnType) {}
void TFrmVoice::LBListFilesClick() {}
void TFrmVoice::LBListFilesDblClick() {}
void TFrmVoice::BitBtnStartClick() {}
void TFrmVoice::ConvertToPlaybackFile(int) {}

} // namespace voice
