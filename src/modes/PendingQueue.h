#pragma once

class Stack;

// Takes the next queued document off `pending` (if any) and executes it.
void ExecuteNextPending(Stack* pending);
