# True and recovered torque and power against engine speed for one run of the accuracy harness.
# gnuplot -e "data='RUN.dat'; out='RUN.png'; name='RUN'" plot.gp
# Block 0 of the data is the truth, each further block one smoothing method; the first line of a
# block names it. Recovered curves that wander far from the truth are clipped to keep it readable.
set terminal pngcairo size 1100,900 font "sans,10"
set output out
set datafile separator whitespace

stats data index 0 using 2 nooutput prefix "TQ"
stats data index 0 using 3 nooutput prefix "HP"
stats data using 1 nooutput prefix "ALL"
blocks = ALL_blocks

set multiplot layout 2,1 title name font "sans,13"
set grid
set key outside right top
set xlabel "engine speed (rpm)"
set xrange [ALL_min:ALL_max]
line(i) = i == 0 ? 4 : 1.6
color(i) = word("black #d62728 #ff7f0e #1f77b4 #2ca02c #9467bd #8c564b", i + 1)

set ylabel "torque (ft-lb)"
set yrange [0.6 * TQ_min : 1.25 * TQ_max]
plot for [i=0:blocks-1] data index i using 1:2 with lines lw line(i) lc rgb color(i) title columnheader(1)

set ylabel "power (hp)"
set yrange [0 : 1.25 * HP_max]
plot for [i=0:blocks-1] data index i using 1:3 with lines lw line(i) lc rgb color(i) title columnheader(1)
unset multiplot
