#pragma once

// The start-up request to forget remembered window placements and dialog choices: a
// non-empty "Forget" value under "Window Positions", set by the user from outside.
// Called once at start-up, before any window reads its placement.

// When "Forget" is set, deletes the "Window Positions" and "Dont Show Again" subkeys of
// the application key (the "Forget" value with them). True when it was set.
bool HonourForgetRequest();
