set output 'Timing4.svg
set terminal svg
set multiplot
set grid
set title "Clients scheduling latency"
set xlabel "audio cycles"
set ylabel "usec"
plot "/dev/null" using 9 title "pacat/37" with lines
unset multiplot
unset output
