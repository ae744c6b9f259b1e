// Keeps quorvex_game non-empty while subsystems are still missing.
