#pragma once
// Control ids of the voice effect dialogs: Key Shifting, Vocal Fading, Microphone Echo,
// Magic Voice and Vocal Remover.
#define IDC_KEY_SHIFT 239
#define IDC_VOCAL_FADING 240
#define IDC_MIC_ECHO 241
#define IDC_MAGIC_MONSTER 242
#define IDC_MAGIC_CARTOON 243
#define IDC_MAGIC_MALE 244
#define IDC_MAGIC_FEMALE 245
#define IDC_REMOVER_AMOUNT 277
#define IDC_REMOVER_MALE 278
#define IDC_REMOVER_FEMALE 279
#define IDC_REMOVER_BASS 280
#define IDC_REMOVER_FULL 281
