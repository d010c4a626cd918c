#pragma once
// The one-line results the bar shows; a worker writes each as the bar's whole text.

inline constexpr char16_t kTextWaitConnect[] = u"Wait Connect..";
inline constexpr char16_t kTextNoImage[] = u"Cannot find the DB file!!";
inline constexpr char16_t kTextSuccess[] = u"Success!!";
inline constexpr char16_t kTextTargetError[] = u"Target Error!!";
inline constexpr char16_t kTextConnectionError[] = u"Connection Error!!";
inline constexpr char16_t kTextFileOpenError[] = u"DB File Open Error!!";
inline constexpr char16_t kTextVerifyError[] = u"Verify Error!!";
