#include "playback/mp_types.h"

namespace voice {

TButtonSet AutoEnabledAfter(TButtonSet s, TMPBtnType after, bool canPlay, bool canRecord) {
    switch (after) {
    case btPlay:
    case btRecord:
        s.Exclude(btPlay).Exclude(btRecord).Include(btPause).Include(btStop);
        break;
    case btPause:
        if (canPlay)
            s.Include(btPlay);
        if (canRecord)
            s.Include(btRecord);
        break;
    default: // stop, next, previous, step, back, eject
        if (canPlay)
            s.Include(btPlay);
        if (canRecord)
            s.Include(btRecord);
        s.Exclude(btPause).Exclude(btStop);
        break;
    }
    return s;
}

TButtonSet AutoEnabledAtOpen(bool canPlay, bool canRecord, bool canEject, bool canStep) {
    TButtonSet s{btNext, btPrev};
    if (canStep)
        s.Include(btStep).Include(btBack);
    if (canPlay)
        s.Include(btPlay);
    if (canRecord)
        s.Include(btRecord);
    if (canEject)
        s.Include(btEject);
    return s;
}

} // namespace voice
