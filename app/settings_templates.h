#pragma once
#include "app/dialog_template.h"

/// The layouts of the three settings dialogs. Fields carry the object names
/// the dialogs exchange their values through.

/// Edit > Settings.
extern const DialogTemplate kAnimationSettingsTemplate;
/// View > System position.
extern const DialogTemplate kSetPositionTemplate;
/// View > Graphic box.
extern const DialogTemplate kGraphicBoxTemplate;
/// Playback > Go to time.
extern const DialogTemplate kGoToTimeTemplate;
/// Playback > Set speed; its prompt and unit are filled in for the data.
extern const DialogTemplate kSetSpeedTemplate;
