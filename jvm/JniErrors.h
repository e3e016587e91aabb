#pragma once

// The string-table id of the reason shown for a failed JNI_CreateJavaVM
// result (JNI_ERR to JNI_EINVAL); 0 for any other code, shown as no reason.
unsigned jniReasonMessageId(int code);
