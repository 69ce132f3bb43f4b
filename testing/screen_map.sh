# Where the scripts that drive the real program click, and the areas they look at: points and
# rectangles (x y [width height]) in the main window's content, 1000 x 750 under its frame and
# title bar, or in the EQ calculator's content for calculator_*. Sourced by the tour and the
# command-line scripts; bench/figures reads the same lines.

# Every step
next_button="940 716"
back_button="840 716"
finish_button="931 716"

# Step five
test_tone_button="718 317"
calibration_box="840 541"

# Step six
both_speakers_box="583 266"
right_speaker_box="839 266"
measure_button="499 331"
hold_button="499 405"
add_position_button="338 331"
save_curves_button="893 331"
open_curve_button="893 405"
eq_calculator_button="69 716"
graph_area="77 491 862 178"

# The EQ calculator
calculator_dial_suggested="118 159"
calculator_freq_box="409 273"
calculator_graph_area="111 322 609 176"
