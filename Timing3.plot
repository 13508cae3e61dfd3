set output 'Timing3.svg
set terminal svg
set multiplot
set grid
set title "Clients end date"
set xlabel "audio cycles"
set ylabel "usec"
plot "/dev/null" using 1 title "Audio period" with lines, "/dev/null" using 8 title "pacat/37" with lines
unset multiplot
unset output
