// The join add-in's entry point and its two LISP functions: LarCorvex
// (function code 0) grows chains from objects picked first, LarCorvex2
// (code 1) chains every selected object. Neither reads arguments or returns
// a value: the LISP caller always receives nil.
#pragma once

#include "host/app/addin_abi.h"

inline constexpr int kLarCorvexCode = 0;
inline constexpr int kLarCorvex2Code = 1;
// What the invoke message answers.
inline constexpr int kInvokeResult = 1;    // a function ran
inline constexpr int kInvokeError = -5001; // no function of that code

// The entry point's work; every message is answered kOk.
host::AppResult CorvexEntryPoint(host::AppMessage message, void* appId);

void DefineCorvexFunctions();
void UndefineCorvexFunctions();
int InvokeCorvexFunction();
void DispatchCorvexFunction();

// The handlers: system variables saved and restored around the parameter
// stage, the fixed layer and the run. 0 when the run was done, else 1.
int LarCorvex();
int LarCorvex2();
