// Resource identifiers shared by the module's resource script and its code.
#pragma once

#define TL_REGISTRY_FILTER 102
#define TL_REGISTRY_VIDEO_DECODER_MPEG2 110
#define TL_REGISTRY_VIDEO_DECODER_H264 111
#define TL_REGISTRY_LAYER 109
#define TL_REGISTRY_DEVELOPER_CONSOLE 112
#define TL_REGISTRY_INFO_LAYER 113

// An image for layers (ILayer::LoadFromResource("PNG", id)): 48 x 24, opaque.
#define TL_IMAGE_LAYER_LOGO 201

// Registry scripts of the property page classes.
#define TL_REGISTRY_PAGE_ABOUT 103
#define TL_REGISTRY_PAGE_STAT 104
#define TL_REGISTRY_PAGE_PREF 105
#define TL_REGISTRY_PAGE_SNAP 106
#define TL_REGISTRY_PAGE_PLUGINS 107
#define TL_REGISTRY_PAGE_PROCAMP 108

// The developer console: its window's icon, its dialog and the dialog's controls.
#define TL_ICON_DEVELOPER_CONSOLE 201
#define TL_DIALOG_DEVELOPER_CONSOLE 202
#define TL_CONSOLE_SCRIPT 1000
#define TL_CONSOLE_TOPMOST 1001
#define TL_CONSOLE_RUN 1002
#define TL_CONSOLE_LANGUAGE 1003
