// Written in a later change.
